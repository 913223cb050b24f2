# Runs kel-host on its default module and checks that it exits 0 after
# reporting names, version, start, memory and shutdown. Sanitized modules
# leave C++ allocations to the sanitizer, so their counters may stay at 0.
execute_process(COMMAND ${HOST} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "kel-host exited with ${result}\n${out}\n${err}")
endif()
foreach(expected
    "plug-in: zbt-be-kel-champions \\(short name kel-champions\\)"
    "plug-in API version: 18\\.0\\.0"
    "initialize: ok"
    "memory: peak [0-9]+ bytes in [0-9]+ blocks; allocated [0-9]+ bytes in [0-9]+ blocks; freed [0-9]+ bytes"
    "shutdown: done")
  if(NOT out MATCHES "${expected}")
    message(FATAL_ERROR "kel-host output lacks '${expected}':\n${out}\n${err}")
  endif()
endforeach()
if(NOT SANITIZED AND NOT out MATCHES "allocated [1-9][0-9]* bytes")
  message(FATAL_ERROR "the module's allocations were not counted:\n${out}")
endif()

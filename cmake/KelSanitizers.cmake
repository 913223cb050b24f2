# Sanitizers apply to everything in the build tree so that every object
# agrees on the instrumented runtime.
if(KEL_SANITIZE)
  add_compile_options(-fsanitize=${KEL_SANITIZE} -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=${KEL_SANITIZE})
  if(KEL_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    add_compile_options(-fsanitize-ignorelist=${CMAKE_CURRENT_LIST_DIR}/sanitizer_ignorelist.txt)
  endif()
endif()

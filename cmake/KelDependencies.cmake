find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

# RapidJSON is header-only; the Debian package puts it on the default path.
find_path(RAPIDJSON_INCLUDE_DIR rapidjson/reader.h REQUIRED)
add_library(kel_rapidjson INTERFACE)
target_include_directories(kel_rapidjson SYSTEM INTERFACE ${RAPIDJSON_INCLUDE_DIR})
target_compile_definitions(kel_rapidjson INTERFACE RAPIDJSON_HAS_STDSTRING=1)

# libyaml: pkg-config knows the 64-bit copy; the 32-bit build links the i386
# copy from its multiarch directory by name.
pkg_check_modules(YAML REQUIRED IMPORTED_TARGET yaml-0.1)

if(KEL_BUILD_TESTS)
  # An installed GoogleTest serves the plain builds (its package declines a
  # build of the other width). The sanitizer builds, and a machine without an
  # installed copy, build it from its sources so that it gets the same flags.
  if(NOT KEL_SANITIZE)
    find_package(GTest CONFIG QUIET)
  endif()
  if(NOT GTest_FOUND)
    set(KEL_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
        "GoogleTest sources, built when no installed copy suits the build")
    if(NOT EXISTS ${KEL_GTEST_SOURCE_DIR}/CMakeLists.txt)
      message(FATAL_ERROR "No GoogleTest for this build: install one or set KEL_GTEST_SOURCE_DIR to its sources")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${KEL_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  endif()
  include(GoogleTest)
endif()

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
  # GoogleTest is built from Debian's sources so that the 32-bit and the
  # sanitizer builds get a matching copy.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  include(GoogleTest)
endif()

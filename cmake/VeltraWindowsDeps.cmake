# Dependencies of the Windows cross build. Debian ships CLI11, fmt and nlohmann-json as headers with Linux
# binaries beside them, and GoogleTest as sources: the headers are used on their own (fmt in
# its header-only mode) and GoogleTest is compiled here with the cross compiler.
set(_host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${_host_headers})
# Only these folders of the host's /usr/include are seen, never the host's C library.
foreach(_dir CLI fmt nlohmann)
  if(NOT EXISTS ${_host_headers}/${_dir})
    file(CREATE_LINK /usr/include/${_dir} ${_host_headers}/${_dir} SYMBOLIC)
  endif()
endforeach()

add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_host_headers})
add_library(fmt::fmt INTERFACE IMPORTED)
set_target_properties(fmt::fmt PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_host_headers}
  INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY=1)

add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${_host_headers})

set(VELTRA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${VELTRA_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Its own code is not held to this project's warning flags.
foreach(_t gtest gtest_main)
  set_target_properties(${_t} PROPERTIES COMPILE_OPTIONS -w)
endforeach()
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

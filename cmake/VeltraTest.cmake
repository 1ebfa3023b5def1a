# veltra_add_test(NAME name LABEL unit|integration|gui SOURCES ... LIBS ...)
# One GoogleTest executable registered with CTest under one label.
include(GoogleTest)
function(veltra_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
  if(CMAKE_CROSSCOMPILING)
    # Under an emulator each start costs about a second: one CTest test per program.
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES LABELS ${T_LABEL}
      ENVIRONMENT "${VELTRA_EMULATOR_ENVIRONMENT}")
  else()
    gtest_discover_tests(${T_NAME}
      PROPERTIES LABELS ${T_LABEL} ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# veltra_add_test(NAME name LABEL unit|integration|gui SOURCES ... LIBS ... [TIMEOUT seconds])
# One GoogleTest executable registered with CTest under one label. Every test case gets a
# time-out (default 60 s, far above the slowest case under the sanitizers), so a wait that never
# ends fails that one case instead of holding the run.
include(GoogleTest)
set(VELTRA_TEST_TIMEOUT 60 CACHE STRING "Default time-out of one test case, in seconds")
function(veltra_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT ${VELTRA_TEST_TIMEOUT})
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
  gtest_discover_tests(${T_NAME}
    PROPERTIES LABELS ${T_LABEL} ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT ${T_TIMEOUT}
    DISCOVERY_TIMEOUT 60)
endfunction()

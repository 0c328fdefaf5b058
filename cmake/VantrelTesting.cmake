include(GoogleTest)

# vantrel_add_gtest(<target> LABEL <unit|net|gui> SOURCES ... LIBS ...)
# One executable per library and label; each GoogleTest case becomes a CTest
# test carrying the label, so `ctest -L net` picks the socket tests alone.
function(vantrel_add_gtest target)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 60)
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} vantrel_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  set(env "QT_QPA_PLATFORM=offscreen;VANTREL_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
  if(VANTREL_SANITIZE MATCHES "thread")
    list(APPEND env "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp")
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}")
endfunction()

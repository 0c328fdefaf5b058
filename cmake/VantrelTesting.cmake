# Sanitized builds: the leak checker's and the thread checker's suppressions for
# Qt's internals, linked into TARGET so they apply however it is started.
function(vantrel_sanitizer_defaults target)
  if(VANTREL_SANITIZE MATCHES "address")
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/common/lsan_suppressions.cpp)
  endif()
  if(VANTREL_SANITIZE MATCHES "thread")
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/common/tsan_options.cpp)
    target_compile_definitions(${target} PRIVATE VANTREL_TSAN_SUPPRESSIONS="${PROJECT_SOURCE_DIR}/tests/tsan.supp")
  endif()
endfunction()

include(GoogleTest)

# vantrel_add_gtest(<target> LABEL <unit|net|gui> SOURCES ... LIBS ... [LOCK name])
# One executable per library and label; each GoogleTest case becomes a CTest
# test carrying the label, so `ctest -L net` picks the socket tests alone.
# LOCK: tests of every executable naming the same lock never run at the same
# time (for example those binding the algorithm box's fixed port).
function(vantrel_add_gtest target)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT;LOCK" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 60)
  endif()
  # Sanitized programs run several times slower; the limits catch hangs, not speed.
  if(VANTREL_SANITIZE MATCHES "thread")
    math(EXPR ARG_TIMEOUT "${ARG_TIMEOUT} * 5")
  elseif(VANTREL_SANITIZE)
    math(EXPR ARG_TIMEOUT "${ARG_TIMEOUT} * 3")
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} vantrel_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  # One environment entry only: gtest_discover_tests flattens a list here,
  # so anything else a test needs arrives as a compile definition.
  target_compile_definitions(${target} PRIVATE VANTREL_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  vantrel_sanitizer_defaults(${target})
  set(lock)
  if(ARG_LOCK)
    set(lock RESOURCE_LOCK ${ARG_LOCK})
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT QT_QPA_PLATFORM=offscreen ${lock})
endfunction()

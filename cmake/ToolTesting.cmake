# tool_add_gtest(NAME SOURCES src... [LIBS lib...] [LABELS label...] [TIMEOUT s])
# One GoogleTest executable for the current target. On Windows the tests are
# listed and run under Wine when ctest runs (inside scripts/wine-session.sh).
function(tool_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  if(WIN32)
    target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
    set(mode PRE_TEST)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
    set(mode POST_BUILD)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE ${mode}
    DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
endfunction()

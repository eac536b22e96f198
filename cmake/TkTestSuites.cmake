# Run as a script (cmake -P) after a test program links: lists its tests and
# writes one CTest entry per test suite to OUTPUT_FILE, named
# <program>/<suite> and running --gtest_filter=<suite>.*. One process a suite
# instead of one a case keeps the start-up cost of sanitised, OpenGL-loading
# programs off every case, and the driver's compiled shaders are reused
# within a suite; a failing case is still named in the suite's output.
#
# In: TEST_EXECUTABLE, TEST_NAME, OUTPUT_FILE, TEST_WORKING_DIRECTORY,
#     TEST_ENVIRONMENT (a list, "|" between entries).
execute_process(COMMAND "${TEST_EXECUTABLE}" --gtest_list_tests
                WORKING_DIRECTORY "${TEST_WORKING_DIRECTORY}"
                OUTPUT_VARIABLE listing
                ERROR_VARIABLE errors
                RESULT_VARIABLE result
                TIMEOUT 60)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TEST_EXECUTABLE} --gtest_list_tests failed (${result}):\n${listing}\n${errors}")
endif()

string(REPLACE "|" ";" environment "${TEST_ENVIRONMENT}")
set(script "# Generated from ${TEST_EXECUTABLE} by cmake/TkTestSuites.cmake.\n")
string(REPLACE "\n" ";" lines "${listing}")
set(count 0)
foreach(line IN LISTS lines)
  # A suite line is "Suite." or "Prefix/Suite.", maybe followed by a comment
  # naming a type parameter; case lines are indented.
  if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.( |$)")
    set(suite "${CMAKE_MATCH_1}")
    set(entry "${TEST_NAME}/${suite}")
    string(APPEND script
           "add_test([==[${entry}]==] [==[${TEST_EXECUTABLE}]==] [==[--gtest_filter=${suite}.*]==])\n"
           "set_tests_properties([==[${entry}]==] PROPERTIES WORKING_DIRECTORY [==[${TEST_WORKING_DIRECTORY}]==]"
           " ENVIRONMENT [==[${environment}]==])\n")
    math(EXPR count "${count} + 1")
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "${TEST_EXECUTABLE} lists no test suites:\n${listing}")
endif()
file(WRITE "${OUTPUT_FILE}" "${script}")

# Every test ends: a test that states no time limit of its own gets the
# default, so that a hang is a failure ctest names ("Timeout"), never a run
# that goes on. tests/check_time_limits.py checks that none is left without.
set(DRAPELLE_TEST_TIME_LIMIT 120 CACHE STRING
    "Seconds a test may take unless it states a longer limit of its own")
set(DRAPELLE_LONG_TEST_TIME_LIMIT 900 CACHE STRING
    "Seconds the long tests (the soak) may take")

function(drapelle_limit_tests_of_this_directory)
    get_property(tests DIRECTORY PROPERTY TESTS)
    foreach(test IN LISTS tests)
        get_test_property(${test} TIMEOUT limit)
        if(NOT limit)
            set_tests_properties(${test} PROPERTIES TIMEOUT ${DRAPELLE_TEST_TIME_LIMIT})
        endif()
    endforeach()
endfunction()

# Call at the top of a directory that adds tests: at its end, whatever
# returns early, each of its tests without a limit gets the default.
macro(drapelle_limit_test_times)
    cmake_language(DEFER CALL drapelle_limit_tests_of_this_directory)
endmacro()

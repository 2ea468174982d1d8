# Read by CTest from the generated list of the suites that mostly wait on the serial line: every
# test function of such a suite becomes a test of its own, so that many of them wait at once.

# Qt Test lists its functions only once its application exists, which needs a screen.
set(ENV{QT_QPA_PLATFORM} offscreen)

function(lumaro_waiting_suite name executable)
    execute_process(COMMAND "${executable}" -functions
                    OUTPUT_VARIABLE listing RESULT_VARIABLE result ERROR_QUIET)
    string(REGEX MATCHALL "[A-Za-z_0-9]+\\(\\)" functions "${listing}")
    if(NOT result EQUAL 0 OR NOT functions)
        # Run whole, so that the failure to list shows as the suite's own.
        set(functions "")
        add_test(${name} "${executable}")
        set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    endif()
    foreach(function IN LISTS functions)
        string(REPLACE "()" "" function "${function}")
        add_test(${name}:${function} "${executable}" ${function})
        set_tests_properties(${name}:${function} PROPERTIES TIMEOUT 600)
    endforeach()
endfunction()

# Runs one Qt Test program built for Windows under Wine, then prints its report:
# Qt Test on Windows sends a report bound for the console to the debugger
# instead, so it goes to a file.
#   cmake -DWINE=... -DTEST=....exe -DREPORT=....txt -P run_under_wine.cmake
file(REMOVE ${REPORT})
execute_process(COMMAND ${WINE} ${TEST} -o ${REPORT},txt RESULT_VARIABLE status)
if(EXISTS ${REPORT})
    file(READ ${REPORT} report)
    message("${report}")
endif()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TEST} ended with ${status}")
endif()

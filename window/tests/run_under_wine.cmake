# SPDX-FileCopyrightText: 2026 The Norvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one Qt Test program built for Windows under Wine, then prints its report:
# Qt Test on Windows sends a report bound for the console to the debugger
# instead, so it goes to a file. What the program prints goes to a file too:
# Wine's background programs, started with it, would hold a pipe open long after.
#   cmake -DWINE=... -DTEST=....exe -DREPORT=....txt -P run_under_wine.cmake
# Qt Test opens its report first thing: a failure that left none, and printed
# nothing, is Wine's own start failing, and that is tried once more.
foreach(attempt 1 2)
    file(REMOVE ${REPORT} ${REPORT}.out)
    execute_process(COMMAND ${WINE} ${TEST} -o ${REPORT},txt RESULT_VARIABLE status
                    INPUT_FILE /dev/null OUTPUT_FILE ${REPORT}.out ERROR_FILE ${REPORT}.out)
    file(SIZE ${REPORT}.out printed)
    if(status EQUAL 0 OR EXISTS ${REPORT} OR printed GREATER 0)
        break()
    endif()
    message("${TEST} ended with ${status} before its report began, having printed nothing (attempt ${attempt})")
endforeach()
foreach(file ${REPORT}.out ${REPORT})
    if(EXISTS ${file})
        file(READ ${file} text)
        message("${text}")
    endif()
endforeach()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TEST} ended with ${status}")
endif()

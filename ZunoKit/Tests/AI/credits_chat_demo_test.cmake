# Runs CreditsChatDemo with no arguments and checks its fixed lines: signed in, the streamed answer in
# pieces, and the balance the chat reported.
execute_process(COMMAND ${DEMO} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 100)
message(STATUS "${output}")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "CreditsChatDemo exited with ${result}\n${errors}")
endif()
foreach(expected
        "device code: ABCD-EFGH"
        "poll: authorization_pending\npoll: approved"
        "signed in: yes"
        "account: user@example.com"
        "available: 5000.000 credits"
        "chat> Hello from the fake gateway.\npieces: 5"
        "balance after chat: 4987.500 credits")
    string(FIND "${output}" "${expected}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "CreditsChatDemo did not print \"${expected}\"")
    endif()
endforeach()

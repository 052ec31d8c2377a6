# Runs AgentDemo with no arguments and checks its two steps, the answer and the exit code.
execute_process(COMMAND ${DEMO} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 50)
message(STATUS "${output}")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "AgentDemo exited with ${result}\n${errors}")
endif()
foreach(expected
        "step: add(a=2, b=3) ok\nstep: clock ok\n"
        "answer: 2 + 3 = 5, and I have checked the clock for you."
        "steps: 2")
    string(FIND "${output}" "${expected}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "AgentDemo did not print \"${expected}\"")
    endif()
endforeach()

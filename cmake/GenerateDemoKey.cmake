# Run with cmake -P by vorlix_demo_key(): makes the secret key once, then (re)writes the public key
# beside it. A rebuilt vorlix-sign keeps the key, so demo updates signed earlier still verify.
foreach(variable SIGN SECRET PUBLIC)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "GenerateDemoKey.cmake needs -D${variable}=...")
    endif()
endforeach()

get_filename_component(folder ${SECRET} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
if(NOT EXISTS ${SECRET})
    execute_process(COMMAND ${SIGN} keygen ${SECRET}
        RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "vorlix-sign keygen ${SECRET} failed: ${error}")
    endif()
endif()
execute_process(COMMAND ${SIGN} public ${SECRET}
    RESULT_VARIABLE result OUTPUT_VARIABLE key ERROR_VARIABLE error OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "vorlix-sign public ${SECRET} failed: ${error}")
endif()
file(WRITE ${PUBLIC} "${key}\n")
# Both outputs newer than vorlix-sign, so the step does not run again on every build.
file(TOUCH ${SECRET})

# A key pair of the build's own for the demo updates: folder/demo.key (the secret key, mode 0600)
# and folder/demo.pub (the public key, one line of base64), made by vorlix-sign the first time the
# target vorlix-demo-key builds and kept for the life of the build folder. Their paths are the
# global properties VORLIX_DEMO_SECRET_KEY_FILE and VORLIX_DEMO_PUBLIC_KEY_FILE.
function(vorlix_demo_key folder)
    set(secret ${folder}/demo.key)
    set(public ${folder}/demo.pub)
    add_custom_command(OUTPUT ${secret} ${public}
        COMMAND ${CMAKE_COMMAND} -DSIGN=$<TARGET_FILE:vorlix-sign> -DSECRET=${secret} -DPUBLIC=${public}
            -P ${PROJECT_SOURCE_DIR}/cmake/GenerateDemoKey.cmake
        DEPENDS vorlix-sign ${PROJECT_SOURCE_DIR}/cmake/GenerateDemoKey.cmake
        COMMENT "Making the demo updates' key pair in ${folder}"
        VERBATIM)
    add_custom_target(vorlix-demo-key ALL DEPENDS ${secret} ${public})
    set_property(GLOBAL PROPERTY VORLIX_DEMO_SECRET_KEY_FILE ${secret})
    set_property(GLOBAL PROPERTY VORLIX_DEMO_PUBLIC_KEY_FILE ${public})
endfunction()

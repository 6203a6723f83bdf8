# Registers one test program per source file, run headless on the offscreen platform.
function(vorlix_add_test source)
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE Qt6::Test vorlix_warnings ${ARGN})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_BINARY_DIR}/tests/generated)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "XDG_DATA_HOME=${PROJECT_BINARY_DIR}/test-data/${name};QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --no-sandbox"
        TIMEOUT 300)
endfunction()

# Every Test*.cpp in a folder becomes a test program linked with the given libraries.
function(vorlix_add_tests_in folder)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/Test*.cpp)
    foreach(source ${sources})
        vorlix_add_test(${source} ${ARGN})
    endforeach()
endfunction()

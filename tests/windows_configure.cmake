# The configuration sheet: its link text's Win32 behaviour, and the sheet end to end.
quillomar_add_test(clickabletext_test
                   SOURCES clickabletext_test.cpp clickabletext_test.rc
                           ${PROJECT_SOURCE_DIR}/src/clickabletext.cpp
                   LIBRARIES quillomar_core quillomar_platform)
target_include_directories(clickabletext_test PRIVATE ${PROJECT_SOURCE_DIR})
# Alone: it moves the mouse.
set_tests_properties(clickabletext_test PROPERTIES RUN_SERIAL TRUE)
add_test(NAME e2e_configure_look
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/configure_look.sh ${CMAKE_BINARY_DIR})
set_tests_properties(e2e_configure_look PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL TRUE
                                                   TIMEOUT 300)

# Win32 tests of the host under Wine, and the saver end to end.
# Win32 test programs that link the real registry get a scratch current-user key.
add_library(quillomar_scratch_current_user OBJECT platform/win32/scratch_current_user.cpp)
# The password modules, in win9x/: a program finds such modules beside itself.
foreach(module PASSWORD.CPL MPR.DLL)
    add_library(${module} SHARED host/password_modules.cpp)
    set_target_properties(${module} PROPERTIES PREFIX "" SUFFIX "" OUTPUT_NAME ${module}
                          RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/win9x)
    target_link_options(${module} PRIVATE -static)
endforeach()
target_compile_definitions(PASSWORD.CPL PRIVATE QUILLOMAR_VERIFIER)
# The host's window procedures against a recording saver of the test's own. Alone: it shows a
# full-screen topmost window that takes the focus.
quillomar_add_test(saverwindow_test
                   SOURCES host/saverwindow_test.cpp ${PROJECT_SOURCE_DIR}/src/host/saverwindow.cpp
                           ${PROJECT_SOURCE_DIR}/src/host/hoststate.cpp
                           ${PROJECT_SOURCE_DIR}/src/host/framestate.cpp
                   LIBRARIES quillomar_scratch_current_user imm32 winmm wtsapi32)
target_include_directories(saverwindow_test PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_options(saverwindow_test PRIVATE -Wl,--defsym=__imp_GetCursorPos=Cursor_Pos_Import)
target_compile_definitions(saverwindow_test PRIVATE
    PASSWORD_CPL_DIRECTORY="Z:${CMAKE_CURRENT_BINARY_DIR}/win9x")
add_dependencies(saverwindow_test PASSWORD.CPL)
set_tests_properties(saverwindow_test PROPERTIES RUN_SERIAL TRUE)

# The saver leaves the display mode alone: it never changes it, so it has nothing to undo.
add_test(NAME scr_keeps_display_mode COMMAND sh -c "! \"$1\" -p \"$2\" | grep ChangeDisplaySettings"
                                      imports ${CMAKE_OBJDUMP} $<TARGET_FILE:Quillomar>)

# End to end: the real Quillomar.scr under Wine, driven as the system and a user would. One at a
# time: a full-screen saver ends when another program becomes active.
add_executable(e2e_driver e2e/driver.cpp)
foreach(script fullscreen preview startup noopengl win9x installer)
    add_test(NAME e2e_${script}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${script}.sh ${CMAKE_BINARY_DIR})
    set_tests_properties(e2e_${script} PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL TRUE
                                                  TIMEOUT 300)
endforeach()
# Two monitors side by side, a session of their own.
add_test(NAME wine_monitors_start COMMAND ${wine_session} start ${CMAKE_BINARY_DIR}/wine-monitors)
add_test(NAME wine_monitors_stop COMMAND ${wine_session} stop ${CMAKE_BINARY_DIR}/wine-monitors)
add_test(NAME e2e_monitors
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/monitors.sh ${CMAKE_BINARY_DIR})
set_tests_properties(wine_monitors_start PROPERTIES FIXTURES_SETUP wine_monitors TIMEOUT 300
                                                    ENVIRONMENT "QUILLOMAR_HEADS=1024x768 800x600")
set_tests_properties(wine_monitors_stop PROPERTIES FIXTURES_CLEANUP wine_monitors TIMEOUT 120)
set_tests_properties(e2e_monitors PROPERTIES FIXTURES_REQUIRED wine_monitors RUN_SERIAL TRUE
                                             TIMEOUT 300 ENVIRONMENT QUILLOMAR_SESSION=wine-monitors)
# Two minutes of the saver full screen, watched for growth and its banana count.
add_test(NAME e2e_soak COMMAND ${PROJECT_SOURCE_DIR}/scripts/soak ${CMAKE_BINARY_DIR}
                               --minutes 2 --interval 15)
set_tests_properties(e2e_soak PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL TRUE TIMEOUT 480
                                         LABELS soak)

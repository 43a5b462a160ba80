# Cross build: the screen saver, its shell library and the Windows test programs.
enable_language(RC)

set(WIN_DEFS UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0A00)
# Static runtime: the .scr must need nothing but the system's own DLLs.
set(WIN_LINK -static -static-libgcc -static-libstdc++)
set(WIN_LIBS version user32 gdi32 kernel32 advapi32 shell32 comctl32 comdlg32 ole32 oleaut32 uuid windowscodecs winmm shlwapi)

target_compile_definitions(glimmer_core PUBLIC ${WIN_DEFS})

add_library(glimmer_shell STATIC ${SHELL_SOURCES})
target_link_libraries(glimmer_shell PUBLIC glimmer_core ${WIN_LIBS})
target_link_options(glimmer_shell PUBLIC ${WIN_LINK})

add_executable(o_glmk WIN32 res/o_glmk.rc)
target_link_libraries(o_glmk PRIVATE glimmer_shell)
target_link_options(o_glmk PRIVATE -municode -Wl,--whole-archive $<TARGET_FILE:glimmer_shell> -Wl,--no-whole-archive)
set_target_properties(o_glmk PROPERTIES OUTPUT_NAME o_glmk SUFFIX .scr)

# Benchmark harnesses, run under Wine by tools/bench (not by ctest).
foreach(name key_exit_wine poll_loop_wine scan_wine load_wine vanished_folder_wine paint_wine)
  add_executable(${name} bench/${name}.cpp)
  target_link_libraries(${name} PRIVATE glimmer_shell)
  target_link_options(${name} PRIVATE -municode)
endforeach()
add_dependencies(key_exit_wine o_glmk)
add_dependencies(vanished_folder_wine o_glmk)

# GoogleTest from Debian's source package, built with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(lib gtest gtest_main)
  target_compile_options(${lib} PRIVATE -w)
endforeach()

function(glimmer_windows_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE glimmer_shell gtest gtest_main)
  target_link_options(${name} PRIVATE ${WIN_LINK})
endfunction()

file(GLOB UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
glimmer_windows_test(unit_tests ${UNIT_TESTS})
add_test(NAME unit_tests_wine COMMAND unit_tests)

# Wine takes the ANSI code page from the locale: 932 as on the users' systems, and
# 1252 under the C locale for the settings file's encoding rule.
set(JAPANESE_ENV "LANG=ja_JP.UTF-8;LC_ALL=ja_JP.UTF-8")

file(GLOB WIN32_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
if(WIN32_TESTS)
  glimmer_windows_test(win32_tests ${WIN32_TESTS})
  add_test(NAME win32_tests COMMAND win32_tests)
  add_test(NAME settings_lock COMMAND ${CMAKE_SOURCE_DIR}/tools/settings-lock lock)
  add_test(NAME settings_unlock COMMAND ${CMAKE_SOURCE_DIR}/tools/settings-lock unlock)
  set_tests_properties(settings_lock PROPERTIES FIXTURES_SETUP locked_settings)
  set_tests_properties(settings_unlock PROPERTIES FIXTURES_CLEANUP locked_settings)
  set_tests_properties(win32_tests PROPERTIES FIXTURES_REQUIRED "locked_settings;link_tree")
  add_test(NAME win32_settings_c_locale COMMAND win32_tests --gtest_filter=SettingsFile*)
  set_tests_properties(win32_tests PROPERTIES ENVIRONMENT "${JAPANESE_ENV}" RUN_SERIAL TRUE)
  set_tests_properties(win32_settings_c_locale PROPERTIES ENVIRONMENT "LANG=C;LC_ALL=C" RUN_SERIAL TRUE)
endif()

# Folders with real Unix symbolic links, for the picture scan: a Windows program under Wine
# cannot make them itself.
add_test(NAME link_tree COMMAND ${CMAKE_SOURCE_DIR}/tools/link-tree setup)
add_test(NAME link_tree_cleanup COMMAND ${CMAKE_SOURCE_DIR}/tools/link-tree cleanup)
set_tests_properties(link_tree PROPERTIES FIXTURES_SETUP link_tree)
set_tests_properties(link_tree_cleanup PROPERTIES FIXTURES_CLEANUP link_tree)

# Stand-ins for the system's libraries, kept in a folder of their own: the saver takes
# libraries from the system folder only, so the tests copy them there and take them away.
set(STAND_INS ${CMAKE_BINARY_DIR}/stand-ins)
# password.cpl, whose answer each end-to-end test chooses.
add_library(password_cpl SHARED tests/password_cpl/password_cpl.cpp tests/password_cpl/password_cpl.def)
set_target_properties(password_cpl PROPERTIES PREFIX "" OUTPUT_NAME password SUFFIX .cpl
                      RUNTIME_OUTPUT_DIRECTORY ${STAND_INS})
target_link_options(password_cpl PRIVATE ${WIN_LINK})
# mpr.dll without the password change, as on every NT-family Windows.
add_library(mpr_standin SHARED tests/mpr_standin/mpr_standin.cpp)
set_target_properties(mpr_standin PROPERTIES PREFIX "" OUTPUT_NAME mpr RUNTIME_OUTPUT_DIRECTORY ${STAND_INS})
target_link_options(mpr_standin PRIVATE ${WIN_LINK})
# A media library planted beside the program, which the saver must never load.
add_library(winmm_standin SHARED tests/winmm_standin/winmm_standin.cpp)
set_target_properties(winmm_standin PROPERTIES PREFIX "" OUTPUT_NAME winmm RUNTIME_OUTPUT_DIRECTORY ${STAND_INS})
target_link_options(winmm_standin PRIVATE ${WIN_LINK})
# Not a stand-in but kept with them: the window hook that notes every window a started
# program shows.
add_library(show_watch SHARED tests/show_watch/show_watch.cpp)
set_target_properties(show_watch PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${STAND_INS})
target_link_options(show_watch PRIVATE ${WIN_LINK})

file(GLOB E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
if(E2E_TESTS)
  glimmer_windows_test(e2e_tests ${E2E_TESTS})
  add_dependencies(e2e_tests o_glmk password_cpl mpr_standin winmm_standin show_watch)
  target_compile_definitions(e2e_tests PRIVATE GLIMMER_SCR_NAME=L"o_glmk.scr" GLIMMER_STAND_INS=L"stand-ins")
  add_test(NAME e2e_tests
           COMMAND e2e_tests --gtest_filter=-LockedSettings*:*WithoutPasswordChange*:Monitors*:DisplayChange*)
  set_tests_properties(e2e_tests PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE ENVIRONMENT "${JAPANESE_ENV}")
  # A drive the system lists but cannot read, for the folder browser's drive list.
  add_test(NAME missing_medium_drive COMMAND ${CMAKE_SOURCE_DIR}/tools/missing-medium-drive setup)
  add_test(NAME missing_medium_drive_cleanup COMMAND ${CMAKE_SOURCE_DIR}/tools/missing-medium-drive cleanup)
  set_tests_properties(missing_medium_drive PROPERTIES FIXTURES_SETUP missing_medium)
  set_tests_properties(missing_medium_drive_cleanup PROPERTIES FIXTURES_CLEANUP missing_medium)
  set_property(TEST e2e_tests APPEND PROPERTY FIXTURES_REQUIRED missing_medium link_tree)

  # The Windows folder's settings file made unwritable, in a run of its own: every other
  # test writes that file.
  add_test(NAME windows_ini_lock COMMAND ${CMAKE_SOURCE_DIR}/tools/windows-ini-lock setup)
  add_test(NAME windows_ini_unlock COMMAND ${CMAKE_SOURCE_DIR}/tools/windows-ini-lock cleanup)
  set_tests_properties(windows_ini_lock PROPERTIES FIXTURES_SETUP locked_windows_ini)
  set_tests_properties(windows_ini_unlock PROPERTIES FIXTURES_CLEANUP locked_windows_ini)
  add_test(NAME e2e_locked_settings COMMAND e2e_tests --gtest_filter=LockedSettings*)
  set_tests_properties(e2e_locked_settings PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE ENVIRONMENT "${JAPANESE_ENV}"
                       FIXTURES_REQUIRED locked_windows_ini)
  # The system folder's mpr.dll replaced by the stand-in for one test, and Wine's own put
  # back afterwards whatever the test did.
  add_test(NAME mpr_standin_setup COMMAND ${CMAKE_SOURCE_DIR}/tools/mpr-stand-in setup ${STAND_INS}/mpr.dll)
  add_test(NAME mpr_standin_cleanup COMMAND ${CMAKE_SOURCE_DIR}/tools/mpr-stand-in cleanup)
  set_tests_properties(mpr_standin_setup PROPERTIES FIXTURES_SETUP mpr_standin)
  set_tests_properties(mpr_standin_cleanup PROPERTIES FIXTURES_CLEANUP mpr_standin)
  add_test(NAME e2e_password_change_missing COMMAND e2e_tests --gtest_filter=*WithoutPasswordChange*)
  set_tests_properties(e2e_password_change_missing PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE
                       ENVIRONMENT "${JAPANESE_ENV}" FIXTURES_REQUIRED mpr_standin)
  # Desktops of two monitors, each made by tools/monitor-rig for its own run, in a prefix of
  # its own: an 800 x 600 monitor left of and above the 1024 x 768 primary (negative
  # coordinates), one right of it and one above it. The test finds the figures it wants
  # by the layout the rig names.
  set(MONITOR_LAYOUTS
      "left_above=1024x768+0+0,800x600-800-100"
      "right=1024x768+0+0,800x600+1024+0"
      "above=1024x768+0+0,800x600+100-600")
  foreach(entry ${MONITOR_LAYOUTS})
    string(REPLACE "=" ";" parts ${entry})
    list(GET parts 0 name)
    list(GET parts 1 layout)
    add_test(NAME e2e_monitors_${name}
             COMMAND ${CMAKE_SOURCE_DIR}/tools/monitor-rig ${layout} ${CMAKE_CROSSCOMPILING_EMULATOR}
                     $<TARGET_FILE:e2e_tests> --gtest_filter=Monitors*)
    set_tests_properties(e2e_monitors_${name} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE ENVIRONMENT "${JAPANESE_ENV}")
  endforeach()

  # A screen that changes size while the saver runs, made by the rig in a prefix of its own.
  add_test(NAME e2e_display_change
           COMMAND ${CMAKE_SOURCE_DIR}/tools/monitor-rig --resizable ${CMAKE_CROSSCOMPILING_EMULATOR}
                   $<TARGET_FILE:e2e_tests> --gtest_filter=DisplayChange*)
  set_tests_properties(e2e_display_change PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE ENVIRONMENT "${JAPANESE_ENV}")

  set(SETTINGS_FILE_USERS)
  foreach(test e2e_tests win32_tests win32_settings_c_locale e2e_password_change_missing)
    if(TEST ${test})
      list(APPEND SETTINGS_FILE_USERS ${test})
    endif()
  endforeach()
  set_tests_properties(windows_ini_lock PROPERTIES DEPENDS "${SETTINGS_FILE_USERS}")
endif()

# The music tests hear what is played through ALSA's capture into a file: HOME points at a
# folder whose ALSA configuration sends the default device there, so no sound card is needed.
set(ALSA_HOME ${CMAKE_BINARY_DIR}/alsa-home)
add_test(NAME alsa_capture_home COMMAND ${CMAKE_SOURCE_DIR}/tools/alsa-capture-home ${CMAKE_BINARY_DIR})
set_tests_properties(alsa_capture_home PROPERTIES FIXTURES_SETUP alsa_capture)
foreach(test win32_tests e2e_tests)
  if(TEST ${test})
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "HOME=${ALSA_HOME}" "GLIMMER_CAPTURE=${ALSA_HOME}/capture.raw")
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED alsa_capture)
  endif()
endforeach()

# Pictures as other programs write them, made with Debian's tools: Exif orientations, GIF
# screens, interlaced and transparent GIFs, a BMP with alpha.
add_test(NAME test_pictures COMMAND ${CMAKE_SOURCE_DIR}/tools/test-pictures setup)
add_test(NAME test_pictures_cleanup COMMAND ${CMAKE_SOURCE_DIR}/tools/test-pictures cleanup)
set_tests_properties(test_pictures PROPERTIES FIXTURES_SETUP test_pictures)
set_tests_properties(test_pictures_cleanup PROPERTIES FIXTURES_CLEANUP test_pictures)
foreach(test win32_tests e2e_tests)
  if(TEST ${test})
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED test_pictures)
  endif()
endforeach()

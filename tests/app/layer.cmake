# The recovery and work-kept tests kill a real program process: the typist and the settings
# changer start the main window as the program does, then type into it or change settings.
if(TARGET app_recovery)
  add_executable(app_recovery_typist ${CMAKE_CURRENT_SOURCE_DIR}/tests/app/recovery_typist.cpp)
  target_include_directories(app_recovery_typist PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  target_link_libraries(app_recovery_typist PRIVATE verlo_app Qt6::Test)
  add_dependencies(app_recovery app_recovery_typist)
endif()
if(TARGET app_work_kept)
  add_executable(app_settings_changer ${CMAKE_CURRENT_SOURCE_DIR}/tests/app/settings_changer.cpp)
  target_link_libraries(app_settings_changer PRIVATE verlo_app Qt6::Test)
  add_dependencies(app_work_kept app_settings_changer)
endif()

# The program read as a screen reader reads it, through the AT-SPI bus under Xvfb; skipped
# (saying why) where the bus cannot start. The system's Python first: that is where the
# distribution installs pyatspi.
find_program(VERLO_SYSTEM_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(VERLO_ANY_PYTHON3 python3)
set(reader_python ${VERLO_SYSTEM_PYTHON3})
if(NOT reader_python)
  set(reader_python ${VERLO_ANY_PYTHON3})
endif()
if(TARGET verlo AND reader_python)
  add_test(NAME app_screen_reader
    COMMAND ${reader_python} ${CMAKE_SOURCE_DIR}/tests/app/screen_reader.py $<TARGET_FILE:verlo>)
  set_tests_properties(app_screen_reader PROPERTIES SKIP_RETURN_CODE 77
    ENVIRONMENT "${VERLO_SANITIZER_ENVIRONMENT}")
endif()

# The window's normal bounds under a real window manager (openbox under Xvfb); skipped
# (saying why) where a tool is missing.
if(TARGET verlo AND reader_python)
  add_test(NAME app_window_bounds
    COMMAND ${reader_python} ${CMAKE_SOURCE_DIR}/tests/app/window_bounds.py $<TARGET_FILE:verlo>)
  set_tests_properties(app_window_bounds PROPERTIES SKIP_RETURN_CODE 77
    ENVIRONMENT "${VERLO_SANITIZER_ENVIRONMENT}")
endif()

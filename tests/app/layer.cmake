# The recovery tests kill a real program process: the typist starts the main window as the
# program does and types into it.
if(TARGET app_recovery)
  add_executable(app_recovery_typist ${CMAKE_CURRENT_SOURCE_DIR}/tests/app/recovery_typist.cpp)
  target_include_directories(app_recovery_typist PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  target_link_libraries(app_recovery_typist PRIVATE verlo_app Qt6::Test)
  add_dependencies(app_recovery app_recovery_typist)
endif()

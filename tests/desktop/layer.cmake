# The desktop side, checked as a packager would: the desktop entry validates, and an
# installation into a temporary prefix puts every file in its place.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  add_test(NAME desktop_entry_validates
    COMMAND ${DESKTOP_FILE_VALIDATE} ${CMAKE_SOURCE_DIR}/data/verlo.desktop)
endif()
if(TARGET verlo)
  add_test(NAME desktop_install_layout
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DWORK_DIR=${CMAKE_BINARY_DIR}/install-check
            -P ${CMAKE_SOURCE_DIR}/tests/desktop/install_layout.cmake)
endif()

# The desktop side of Verlo: icons made from the SVG at build time, the window icon as a
# Qt resource, installation (program, desktop entry, hicolor icons) and the Debian package.

include(GNUInstallDirs)

# The build's version for --version: the commit it was configured from.
execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} describe --always --dirty
                OUTPUT_VARIABLE VERLO_BUILD_ID OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT VERLO_BUILD_ID)
  set(VERLO_BUILD_ID ${PROJECT_VERSION})
endif()
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/command_line.cpp
  PROPERTIES COMPILE_DEFINITIONS VERLO_BUILD_ID="${VERLO_BUILD_ID}")

find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(VERLO_ICON_SVG ${CMAKE_SOURCE_DIR}/data/icons/verlo.svg)
set(VERLO_ICON_SIZES 16 24 32 48 64 128 256)
set(VERLO_ICON_PNGS)
foreach(size IN LISTS VERLO_ICON_SIZES)
  set(png ${CMAKE_BINARY_DIR}/icons/verlo-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} ${VERLO_ICON_SVG} -o ${png}
    DEPENDS ${VERLO_ICON_SVG}
    COMMENT "Drawing the ${size}px icon")
  list(APPEND VERLO_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME verlo.png)
endforeach()
add_custom_target(verlo_icons ALL DEPENDS ${VERLO_ICON_PNGS})

if(TARGET verlo)
  add_dependencies(verlo verlo_icons)
  set_source_files_properties(${CMAKE_BINARY_DIR}/icons/verlo-256.png ${CMAKE_BINARY_DIR}/icons/verlo-48.png
    PROPERTIES GENERATED TRUE)
  qt_add_resources(verlo verlo_window_icon
    PREFIX /icons
    BASE ${CMAKE_BINARY_DIR}/icons
    FILES ${CMAKE_BINARY_DIR}/icons/verlo-256.png ${CMAKE_BINARY_DIR}/icons/verlo-48.png)
  install(TARGETS verlo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${CMAKE_SOURCE_DIR}/data/verlo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VERLO_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME verlo)
set(CPACK_PACKAGE_VENDOR "Tarnvel")
set(CPACK_PACKAGE_CONTACT "Verlo developers <verlo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Plain-text editor for Japanese prose in horizontal and vertical writing")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-ipafont-mincho, xdg-utils")
include(CPack)

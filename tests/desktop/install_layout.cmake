# Installs the build into a fresh temporary prefix and checks that every file is in place.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result})")
endif()
set(expected
  bin/verlo
  share/applications/verlo.desktop
  share/icons/hicolor/scalable/apps/verlo.svg)
foreach(size 16 24 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/verlo.png)
endforeach()
foreach(path IN LISTS expected)
  if(NOT EXISTS ${WORK_DIR}/${path})
    message(FATAL_ERROR "missing after install: ${path}")
  endif()
endforeach()
if(NOT IS_DIRECTORY ${WORK_DIR}/bin OR NOT EXISTS ${WORK_DIR}/bin/verlo)
  message(FATAL_ERROR "the program was not installed")
endif()
file(READ ${WORK_DIR}/share/applications/verlo.desktop entry)
if(NOT entry MATCHES "Exec=verlo %f" OR NOT entry MATCHES "MimeType=text/plain;")
  message(FATAL_ERROR "the installed desktop entry is not the project's")
endif()
message(STATUS "installed layout complete: ${WORK_DIR}")

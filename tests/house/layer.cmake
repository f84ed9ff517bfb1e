# The house's rules, checked on the sources: every #include of a project header goes to the
# folder itself or to a folder it may use (VERLO_DEPS_<folder>, followed through), and the
# windowless commands that answer before any application exists (all of src/cli/ but the
# tools named in VERLO_CLI_WITH_APPLICATION, which start one without a display) use only
# folders that bring in nothing of the widget toolkit.
function(verlo_layer_closure layer out)
  set(seen)
  set(queue ${VERLO_DEPS_${layer}})
  while(queue)
    list(POP_FRONT queue dep)
    if(dep IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${dep})
    if(dep MATCHES "^verlo_(.+)$")
      list(APPEND queue ${VERLO_DEPS_${CMAKE_MATCH_1}})
    endif()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

set(house_rules)
foreach(layer IN LISTS VERLO_LAYERS)
  verlo_layer_closure(${layer} closure)
  string(REPLACE ";" "," closure "${closure}")
  list(APPEND house_rules "${layer}=${closure}")
endforeach()
set(VERLO_CLI_WITH_APPLICATION pdf_tool outline_tool tool_settings)
string(REPLACE ";" "," cli_with_application "${VERLO_CLI_WITH_APPLICATION}")
string(REPLACE ";" "|" house_rules "${house_rules}")
add_test(NAME house_include_rules
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} "-DRULES=${house_rules}"
          "-DCLI_WITH_APPLICATION=${cli_with_application}" -P ${CMAKE_SOURCE_DIR}/tests/house/include_rules.cmake)

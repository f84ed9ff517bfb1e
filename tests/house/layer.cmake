# The house's rules, checked on the sources: every #include of a project header goes to the
# folder itself or to a folder it may use (VERLO_DEPS_<folder>, followed through), and the
# command-line tool's libraries bring in nothing of the widget toolkit.
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
verlo_layer_closure(cli cli_closure)
string(REPLACE ";" "," cli_closure "${cli_closure}")
string(REPLACE ";" "|" house_rules "${house_rules}")
add_test(NAME house_include_rules
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} "-DRULES=${house_rules}"
          "-DCLI_CLOSURE=${cli_closure}" -P ${CMAKE_SOURCE_DIR}/tests/house/include_rules.cmake)

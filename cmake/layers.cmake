# The plug-in's layers, lowest first. Each may include and call only itself and the
# layers before it: the vector math knows nothing of the host; the host binding knows
# the math tables it creates but no command; the commands know the host; the plug-in
# boundary (the exports) knows them all.
set(QUILLON_LAYERS math host commands plugin)

# quillon_layer(<folder>) makes the static library quillon_<folder>. Its sources see
# an include root of their own that holds only their folder and the lower layers', so
# an include that goes upward does not compile. It links the layer just below it.
function(quillon_layer folder)
  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${root})
  set(below "")
  foreach(layer IN LISTS QUILLON_LAYERS)
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${layer} ${root}/${layer} SYMBOLIC)
    if(layer STREQUAL folder)
      break()
    endif()
    set(below quillon_${layer})
  endforeach()
  set(target quillon_${folder})
  add_library(${target} STATIC)
  target_include_directories(${target} PRIVATE ${root})
  if(below)
    target_link_libraries(${target} PUBLIC ${below})
  endif()
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_compile_options(${target} PRIVATE ${QUILLON_HOST_STACK_OPTION} ${QUILLON_NO_EXCEPTIONS}
                         ${QUILLON_GUEST_OPTIONS})
endfunction()

# Every layer's library, lowest first.
set(QUILLON_LAYER_TARGETS "")
foreach(layer IN LISTS QUILLON_LAYERS)
  list(APPEND QUILLON_LAYER_TARGETS quillon_${layer})
endforeach()

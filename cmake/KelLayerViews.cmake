# kel_make_layer_view(<layer> <out-var>): builds, in the build tree, the
# include directory of one plug-in layer and returns its path. It holds a
# link to the folder of the layer itself and of every layer below it in
# KEL_PLUGIN_LAYERS; of each layer above it, only links to that folder's
# boundary headers (*_abi.h, core_port.h). Includes are written
# "<layer>/<file>.h", so a header of a higher layer is simply not there.
function(kel_make_layer_view layer out_var)
  set(view ${CMAKE_BINARY_DIR}/layer_views/${layer})
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  set(below TRUE)
  foreach(other IN LISTS KEL_PLUGIN_LAYERS)
    set(folder ${PROJECT_SOURCE_DIR}/plugin/${other})
    if(below)
      file(CREATE_LINK ${folder} ${view}/${other} SYMBOLIC)
    else()
      file(MAKE_DIRECTORY ${view}/${other})
      file(GLOB boundary CONFIGURE_DEPENDS ${folder}/*_abi.h ${folder}/core_port.h)
      foreach(header IN LISTS boundary)
        get_filename_component(name ${header} NAME)
        file(CREATE_LINK ${header} ${view}/${other}/${name} SYMBOLIC)
      endforeach()
    endif()
    if(other STREQUAL layer)
      set(below FALSE)
    endif()
  endforeach()
  set(${out_var} ${view} PARENT_SCOPE)
endfunction()

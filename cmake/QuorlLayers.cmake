# The game's layers: one static library per folder of src/, each linking, and seeing the
# headers of, only the layers below it:
#
#   math (base: vectors, matrices, faces, colours, random source, timer)
#     <- assets <- collision <- world <- entities <- app
#
# Sources include headers by folder ("world/world.h"). A layer's include path is a folder of
# the build tree that holds nothing but a link named after the layer, pointing at its sources;
# a library sees its own folder and, through what it links, those of the layers below. An
# include that runs upwards therefore finds no such file and the build fails.
#
#   quorl_layer(<folder> [libraries it links...])
#
# QUORL_SRC_DIR must name the src/ folder.
function(quorl_layer layer)
  file(GLOB sources CONFIGURE_DEPENDS ${QUORL_SRC_DIR}/${layer}/*.cpp)
  set(root ${CMAKE_BINARY_DIR}/layers/${layer})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${QUORL_SRC_DIR}/${layer} ${root}/${layer} SYMBOLIC)
  if(sources)
    add_library(quorl_${layer} STATIC ${sources})
    set(scope PUBLIC)
  else() # a layer of headers only, or one still to be written
    add_library(quorl_${layer} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(quorl_${layer} ${scope} ${root})
  target_link_libraries(quorl_${layer} ${scope} ${ARGN})
endfunction()

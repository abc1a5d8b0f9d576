# The game's layers: one static library per folder of src/, each linking, and seeing the headers
# of, only the layers it names here and what they name in turn: a graph, written once, here.
# The build makes the libraries from it, the fuzz build takes the part it needs, and the `layers`
# test (scripts/check-layers.sh) reads the same list to judge every include of src/.
#
# One entry a layer, below the layers it links: its folder, then what it links. A word with
# "::" is a library from outside the project; any other word is a layer of this list.
set(QUORL_LAYERS
  # the simulation, bottom up
  "math OpenGL::OpenGL" # base: vectors, matrices, faces, colours, random source, timer
  "assets math OpenGL::GLU" # OBJ/MTL models, SGI images
  "collision assets" # bounding boxes, the sweep-and-prune detector, rays, triangle hierarchy
  "world collision" # cubies, the Rubik's cube, objects, the world, levels, blocks
  "entities world" # tanks, shells, items, explosions, the collision response
  # the application's floors
  "audio math SDL2_mixer::SDL2_mixer SDL2::SDL2" # the sound device, the hearing rule; no world
  "platform math GLUT::GLUT OpenGL::GLX X11::X11 PNG::PNG Threads::Threads" # window, timers, files out
  "places PkgConfig::INIH" # where files are: the data folder, the player's folders, the settings
  "input GLUT::GLUT" # input sources: joysticks behind a back end, gamepads, keyboard, menus
  "sdlpads input SDL2::SDL2" # the system's pads through SDL, virtual pads; the only SDL code
  "match entities input" # the rules of a match, headless: seats driving tanks
  "replay match PkgConfig::ZSTD PkgConfig::XXHASH" # records of matches, the state hash, replaying
  "ai match entities input" # computer players: input sources that read the world, headless
  "net replay match input PkgConfig::ENET" # online matches: lockstep on inputs over ENet
  "view entities" # cameras, backdrop, heads-up display, view layout
  "screens view ai net match replay input platform places audio" # the shell and the screens; what they sound like
  "session screens" # scripted play: options, scripts, traces, the play session
)
#
# Sources include headers by folder ("world/world.h"). A layer's include path is a folder of
# the build tree that holds nothing but a link named after the layer, pointing at its sources;
# a library sees its own folder and, through what it links, those of the layers below. An
# include that runs upwards therefore finds no such file and the build fails.
#
#   quorl_add_layers(<layer>...)   makes these layers and every layer they link, in list order
#   quorl_add_layers(ALL)          makes every layer
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
  foreach(link ${ARGN})
    if(link MATCHES "::")
      target_link_libraries(quorl_${layer} ${scope} ${link})
    else()
      target_link_libraries(quorl_${layer} ${scope} quorl_${link})
    endif()
  endforeach()
endfunction()

function(quorl_add_layers)
  set(wanted ${ARGN})
  # Walk the list from the top down, so each layer adds the layers it links before they are
  # reached; then make the wanted ones bottom up.
  set(reversed ${QUORL_LAYERS})
  list(REVERSE reversed)
  foreach(entry ${reversed})
    separate_arguments(words UNIX_COMMAND "${entry}")
    list(POP_FRONT words layer)
    if("ALL" IN_LIST wanted OR layer IN_LIST wanted)
      foreach(link ${words})
        if(NOT link MATCHES "::")
          list(APPEND wanted ${link})
        endif()
      endforeach()
    endif()
  endforeach()
  foreach(entry ${QUORL_LAYERS})
    separate_arguments(words UNIX_COMMAND "${entry}")
    list(POP_FRONT words layer)
    if(("ALL" IN_LIST wanted OR layer IN_LIST wanted) AND NOT TARGET quorl_${layer})
      quorl_layer(${layer} ${words})
    endif()
  endforeach()
endfunction()

# The layer table's verbs (used by the top CMakeLists.txt, where the table itself lives).
#
# All targets share the source root as include path, so the compiler alone would let device/
# include app/. Each folder therefore gets a check target (kestrune_layers_<folder>, part of every
# build) that runs cmake/CheckLayers.cmake over the folder's sources and headers, and each product
# folder's library links only the libraries of the folders it uses: an include that reaches up
# fails the check, and a call that reaches up has nothing to resolve against on the link line.

set_property(GLOBAL PROPERTY KESTRUNE_LAYERS "")

# kestrune_layer(<folder> [USES <folder>...]): <folder> may include the folders named, each of
# which must be declared before it, so that the table cannot describe a cycle.
function(kestrune_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "USES")
  get_property(layers GLOBAL PROPERTY KESTRUNE_LAYERS)
  if(folder IN_LIST layers)
    message(FATAL_ERROR "layer ${folder} is declared twice")
  endif()
  foreach(used IN LISTS arg_USES)
    if(NOT used IN_LIST layers)
      message(FATAL_ERROR "layer ${folder} uses ${used}, which is not declared below it")
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY KESTRUNE_LAYERS ${folder})
  set_property(GLOBAL PROPERTY KESTRUNE_LAYER_USES_${folder} ${arg_USES})
  set_property(GLOBAL PROPERTY KESTRUNE_LAYER_EXCEPTIONS_${folder} "")
endfunction()

# kestrune_layer_exception(<folder> USES <folder>...): a known edge against the order, allowed
# until its cause is gone. Kept apart from kestrune_layer so that removing one is one line.
function(kestrune_layer_exception folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "USES")
  get_property(layers GLOBAL PROPERTY KESTRUNE_LAYERS)
  foreach(named IN LISTS folder arg_USES)
    if(NOT named IN_LIST layers)
      message(FATAL_ERROR "layer exception ${folder} -> ${arg_USES}: ${named} is not a layer")
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY KESTRUNE_LAYER_EXCEPTIONS_${folder} ${arg_USES})
endfunction()

function(kestrune_layer_allowed folder out)
  get_property(uses GLOBAL PROPERTY KESTRUNE_LAYER_USES_${folder})
  get_property(exceptions GLOBAL PROPERTY KESTRUNE_LAYER_EXCEPTIONS_${folder})
  set(${out} ${uses} ${exceptions} PARENT_SCOPE)
endfunction()

# One check target per declared folder, built by every build (ALL). The check re-runs when a
# file of the folder or the folder's row of the table changes; a new file is picked up by the
# CONFIGURE_DEPENDS glob, which reconfigures.
function(kestrune_layer_checks)
  get_property(layers GLOBAL PROPERTY KESTRUNE_LAYERS)
  # Longest first, so that tests/support/X.h counts as tests/support's and not as tests'.
  set(by_length "")
  foreach(layer IN LISTS layers)
    string(LENGTH "${layer}" n)
    math(EXPR key "1000 - ${n}")
    list(APPEND by_length "${key}|${layer}")
  endforeach()
  list(SORT by_length)
  list(TRANSFORM by_length REPLACE "^[0-9]+\\|" "")

  foreach(folder IN LISTS layers)
    set(globs "")
    foreach(ext h hpp inl c cpp)
      list(APPEND globs ${CMAKE_SOURCE_DIR}/${folder}/*.${ext})
    endforeach()
    file(GLOB_RECURSE files CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR} ${globs})
    # A subfolder that is a layer of its own is checked as that layer.
    foreach(other IN LISTS layers)
      string(FIND "${other}" "${folder}/" at)
      if(at EQUAL 0)
        list(FILTER files EXCLUDE REGEX "^${other}/")
      endif()
    endforeach()
    get_property(uses GLOBAL PROPERTY KESTRUNE_LAYER_USES_${folder})
    get_property(exceptions GLOBAL PROPERTY KESTRUNE_LAYER_EXCEPTIONS_${folder})
    string(REPLACE "/" "_" name "${folder}")
    set(config ${CMAKE_BINARY_DIR}/layers/${name}.cmake)
    set(stamp ${CMAKE_BINARY_DIR}/layers/${name}.stamp)
    # Rewritten only when its content changes, so that an unrelated edit of the table re-runs
    # no check.
    file(CONFIGURE OUTPUT ${config} CONTENT [[
set(SOURCE_DIR "@CMAKE_SOURCE_DIR@")
set(FOLDER "@folder@")
set(USES "@uses@")
set(EXCEPTIONS "@exceptions@")
set(LAYERS "@by_length@")
set(FILES "@files@")
]] @ONLY)
    set(absolute ${files})
    list(TRANSFORM absolute PREPEND ${CMAKE_SOURCE_DIR}/)
    add_custom_command(
      OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -DCONFIG=${config} -DSTAMP=${stamp} -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
      DEPENDS ${absolute} ${config} ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
      COMMENT "Checking the includes of ${folder}/"
      VERBATIM)
    add_custom_target(kestrune_layers_${name} ALL DEPENDS ${stamp})
  endforeach()
endfunction()

# kestrune_folder_libraries(<folder>...): kestrune_<folder> of the folder's portable sources and
# this platform's adapters, linked to the libraries of the folders it may use, built after its
# check.
function(kestrune_folder_libraries)
  foreach(folder IN LISTS ARGN)
    set(globs ${folder}/*.cpp)
    if(WIN32)
      list(APPEND globs ${folder}/win32/*.cpp)
    else()
      list(APPEND globs ${folder}/posix/*.cpp)
    endif()
    file(GLOB sources CONFIGURE_DEPENDS ${globs})
    list(FILTER sources EXCLUDE REGEX "/app/win32/WinMain\\.cpp$")
    if(NOT sources)
      # Keeps the library valid on a platform that has neither portable code nor adapters here.
      set(sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
    endif()
    add_library(kestrune_${folder} STATIC ${sources})
    target_include_directories(kestrune_${folder} PUBLIC ${CMAKE_SOURCE_DIR})
    add_dependencies(kestrune_${folder} kestrune_layers_${folder})
  endforeach()
  foreach(folder IN LISTS ARGN)
    kestrune_layer_allowed(${folder} allowed)
    foreach(used IN LISTS allowed)
      if(used IN_LIST ARGN)
        target_link_libraries(kestrune_${folder} PUBLIC kestrune_${used})
      endif()
    endforeach()
  endforeach()
endfunction()

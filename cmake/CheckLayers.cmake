# Fails when a file of one layer includes a folder its row of the layer table (top CMakeLists.txt)
# does not name. Run by the build: cmake -DCONFIG=<layers/folder.cmake> -DSTAMP=<file> -P this.
# CONFIG sets SOURCE_DIR, FOLDER, ALLOWED, LAYERS (every layer, longest first) and FILES.
cmake_minimum_required(VERSION 3.25)
include(${CONFIG})

if(ALLOWED)
  list(JOIN ALLOWED ", " allowed_text)
  set(rule "${FOLDER} may include only ${allowed_text}")
else()
  set(rule "${FOLDER} may include no other folder")
endif()

set(faults "")
foreach(file IN LISTS FILES)
  # Both spellings reach a header through the source root.
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]+[\">]")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*" "\\1" included "${line}")
    if(included MATCHES "(^|/)\\.\\.(/|$)")
      # A relative climb would hide which folder it reaches.
      list(APPEND faults "${file} includes ${included}: name the folder from the source root")
      continue()
    endif()
    foreach(layer IN LISTS LAYERS)
      if(included MATCHES "^${layer}/")
        if(NOT layer STREQUAL FOLDER AND NOT layer IN_LIST ALLOWED)
          list(APPEND faults "${file} includes ${included}: ${rule}")
        endif()
        break()
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  foreach(fault IN LISTS faults)
    message(NOTICE "${fault}")
  endforeach()
  list(LENGTH faults n)
  message(FATAL_ERROR "${n} include(s) in ${FOLDER}/ reach a folder above it; "
                      "the layers are the kestrune_layer lines of CMakeLists.txt")
endif()
file(TOUCH ${STAMP})

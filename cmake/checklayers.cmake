# cmake -DSOURCE_DIR=<source folder> [-DSTAMP=<file>] -P checklayers.cmake
#
# The program's folders stand in layers, from the bottom up:
#   platform/                        the stand-ins for the system
#   the device core                  app/, device/ and the other core folders
#   the common widgets and dialogs   widgets/, dialogs/
#   the pages                        buttons/, macro/, sensor/, lighting/, settings/
#   the windows                      windows/
# A file may include the headers of its own layer and of the layers below
# it, never one of a layer above: platform/ includes nothing of the program
# but itself, the core nothing of the user interface (no generated form and
# no header of the widget module either), the common widgets and dialogs no
# page's header and the pages no window's. A header belongs to the folder
# that holds it, however the include writes its path. app/main.cpp builds
# the window and is the one exception. Fails with the list of offending
# includes; on success touches STAMP when given.

cmake_minimum_required(VERSION 3.16)

set(core_folders app device formats platform)
set(ui_folders widgets dialogs buttons macro sensor lighting settings windows)
set(allowed_files ${SOURCE_DIR}/app/main.cpp)

set(bottom_folders platform)
set(common_ui_folders widgets dialogs)
set(window_folders windows)
set(layer_names "platform/" "the device core" "the common widgets and dialogs" "the pages" "the windows")

# The layer of a folder: its index in layer_names. Every user interface
# folder that is neither common nor a window's is a page.
function(layer_of folder result)
  if(folder IN_LIST bottom_folders)
    set(${result} 0 PARENT_SCOPE)
  elseif(folder IN_LIST core_folders)
    set(${result} 1 PARENT_SCOPE)
  elseif(folder IN_LIST common_ui_folders)
    set(${result} 2 PARENT_SCOPE)
  elseif(folder IN_LIST window_folders)
    set(${result} 4 PARENT_SCOPE)
  else()
    set(${result} 3 PARENT_SCOPE)
  endif()
endfunction()

set(folders ${core_folders} ${ui_folders})
foreach(folder ${folders})
  file(GLOB headers RELATIVE ${SOURCE_DIR}/${folder} ${SOURCE_DIR}/${folder}/*.h)
  foreach(header ${headers})
    set("owner_${header}" ${folder})
  endforeach()
endforeach()

set(offences "")
foreach(folder ${folders})
  layer_of(${folder} file_layer)
  list(GET layer_names ${file_layer} file_layer_name)
  file(GLOB files ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  foreach(file ${files})
    if(file IN_LIST allowed_files)
      continue()
    endif()
    file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" included "${line}")
      get_filename_component(name "${included}" NAME)
      # Where the header lives, and its layer. Forms and the widget module
      # belong to the user interface as a whole: its lowest layer counts.
      if(DEFINED "owner_${name}")
        set(where "${owner_${name}}/")
        layer_of(${owner_${name}} header_layer)
        list(GET layer_names ${header_layer} header_layer_name)
      elseif(name MATCHES "^ui_.*\\.h$" OR included MATCHES "^QtWidgets(/|$)")
        set(where "the widget module")
        if(name MATCHES "^ui_")
          set(where "forms/")
        endif()
        set(header_layer 2)
        set(header_layer_name "the user interface")
      else()
        continue()
      endif()
      if(header_layer GREATER file_layer)
        if(file_layer EQUAL 0)
          set(rule "platform/ includes nothing of the program but itself")
        else()
          set(rule "${file_layer_name} may not include ${header_layer_name}")
        endif()
        list(APPEND offences "  ${shown} includes ${included} (${where}): ${rule}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(offences)
  string(REPLACE ";" "\n" listed "${offences}")
  message(FATAL_ERROR "A file includes a header of a layer above its own:\n${listed}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()

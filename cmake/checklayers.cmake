# cmake -DSOURCE_DIR=<source folder> [-DSTAMP=<file>] -P checklayers.cmake
#
# The device core (app/, device/, platform/) sits below the user interface:
# none of its files may include a header of the widgets, the dialogs, the
# pages or the windows, a generated form, or a header of the widget module.
# app/main.cpp builds the window and is the one exception. Fails with the
# list of offending includes; on success touches STAMP when given.

cmake_minimum_required(VERSION 3.16)

set(core_folders app device formats platform)
set(ui_folders widgets dialogs buttons macro sensor lighting settings windows)
set(allowed_files ${SOURCE_DIR}/app/main.cpp)

foreach(folder ${ui_folders})
  file(GLOB headers RELATIVE ${SOURCE_DIR}/${folder} ${SOURCE_DIR}/${folder}/*.h)
  foreach(header ${headers})
    set("owner_${header}" ${folder})
  endforeach()
endforeach()

set(offences "")
foreach(folder ${core_folders})
  file(GLOB files ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  foreach(file ${files})
    if(file IN_LIST allowed_files)
      continue()
    endif()
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" included "${line}")
      get_filename_component(name "${included}" NAME)
      set(layer "")
      if(DEFINED "owner_${name}")
        set(layer "${owner_${name}}/")
      elseif(name MATCHES "^ui_.*\\.h$")
        set(layer "forms/")
      elseif(included MATCHES "^QtWidgets/" OR included STREQUAL "QtWidgets")
        set(layer "the widget module")
      endif()
      if(layer)
        file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
        list(APPEND offences "  ${shown} includes ${included} (${layer})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(offences)
  string(REPLACE ";" "\n" listed "${offences}")
  message(FATAL_ERROR "The device core includes a header of a layer above it:\n${listed}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()

# cmake -DSOURCE_DIR=<source folder> [-DSTAMP=<file>] -P checklayers.cmake
#
# The program's folders stand in layers, from the bottom up; the first four
# are the device core, in floors:
#   platform/                        the stand-ins for the system
#   formats/                         bytes and files: the device's records and
#                                    the files' formats, no device state
#   app/                             folders, settings stores, language
#                                    tables, the signal hub, the globals
#   device/                          the device operations, the link, the update
#   the common widgets and dialogs   widgets/, dialogs/
#   the pages                        buttons/, macro/, sensor/, lighting/, settings/
#   the windows                      windows/
# A file may include the headers of its own layer and of the layers below
# it, never one of a layer above: platform/ includes nothing of the program
# but itself, formats/ nothing of app/ or device/, app/ nothing of device/,
# the core nothing of the user interface (no generated form and no header of
# the widget module either), the common widgets and dialogs no page's header
# and the pages no window's. A header belongs to the folder that holds it,
# however the include writes its path. app/main.cpp builds the window and is
# the one exception.
#
# Every folder that holds sources is in a layer or named below as outside
# the program; a new folder, or one inside a layer's folder, fails the
# check until it is given its place. The device library's calls (HIDUsb.h)
# are included only in device/, and the simulated devices' controls
# (hidusb_sim.h) nowhere in the program: the library's own folder and the
# tests are not checked.
#
# Fails with the list of offences; on success touches STAMP when given.

cmake_minimum_required(VERSION 3.16)

set(core_folders platform formats app device)
set(ui_folders widgets dialogs buttons macro sensor lighting settings windows)
set(allowed_files ${SOURCE_DIR}/app/main.cpp)

# Outside the program: the stand-in device library and the tests (not
# checked at all), the programs of their own under tools/, the benchmark's
# measuring points and the program folder's data files (checked for the
# device library's headers only).
set(unchecked_folders hidusb tests)
set(outside_folders tools bench resources)

set(common_ui_folders widgets dialogs)
set(window_folders windows)
# Every core folder is a layer of its own, in the order of core_folders.
set(layer_names "platform/" "formats/" "app/" "device/" "the common widgets and dialogs" "the pages" "the windows")
list(LENGTH core_folders ui_layer)   # the lowest layer of the user interface

set(source_patterns *.c *.cc *.cpp *.cxx *.h *.hh *.hpp)
set(include_regex "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")

# The layer of a folder: its index in layer_names. Every user interface
# folder that is neither common nor a window's is a page.
function(layer_of folder result)
  list(FIND core_folders ${folder} floor)
  if(floor GREATER -1)
    set(${result} ${floor} PARENT_SCOPE)
  elseif(folder IN_LIST common_ui_folders)
    set(${result} ${ui_layer} PARENT_SCOPE)
  elseif(folder IN_LIST window_folders)
    math(EXPR layer "${ui_layer} + 2")
    set(${result} ${layer} PARENT_SCOPE)
  else()
    math(EXPR layer "${ui_layer} + 1")
    set(${result} ${layer} PARENT_SCOPE)
  endif()
endfunction()

# The sources below `dir`, at any depth, relative to SOURCE_DIR.
function(sources_below dir result)
  set(globs "")
  foreach(pattern ${source_patterns})
    list(APPEND globs ${dir}/${pattern})
  endforeach()
  file(GLOB_RECURSE found RELATIVE ${SOURCE_DIR} ${globs})
  list(SORT found)
  set(${result} ${found} PARENT_SCOPE)
endfunction()

# The names a file includes, as written.
function(includes_of file result)
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "${include_regex}")
  set(names "")
  foreach(line ${lines})
    string(REGEX REPLACE "${include_regex}.*$" "\\1" included "${line}")
    list(APPEND names "${included}")
  endforeach()
  set(${result} ${names} PARENT_SCOPE)
endfunction()

set(offences "")

# The device library's headers: its calls belong to device/ alone, the
# controls of its simulated devices to the tests.
function(check_library_headers file folder)
  includes_of(${file} names)
  foreach(included ${names})
    get_filename_component(name "${included}" NAME)
    if(name STREQUAL "HIDUsb.h" AND NOT folder STREQUAL "device")
      list(APPEND offences "  ${file} includes ${included} (the device library): only device/ calls the device library")
    elseif(name STREQUAL "hidusb_sim.h")
      list(APPEND offences "  ${file} includes ${included} (the simulated devices' controls): only the tests steer the simulated devices")
    endif()
  endforeach()
  set(offences "${offences}" PARENT_SCOPE)
endfunction()

# Every folder with sources has its place: a layer, or outside the program.
# Build folders (with a CMakeCache.txt) and hidden ones are no sources.
set(folders ${core_folders} ${ui_folders})
set(outside_files "")
file(GLOB entries RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
list(SORT entries)
foreach(entry ${entries})
  if(NOT IS_DIRECTORY ${SOURCE_DIR}/${entry})
    foreach(pattern ${source_patterns})
      string(REPLACE "." "\\." pattern_regex "${pattern}")
      string(REPLACE "*" ".*" pattern_regex "${pattern_regex}")
      if(entry MATCHES "^${pattern_regex}$")
        list(APPEND offences "  ${entry} lies in the top folder, in no layer: move it into a layer's folder")
        break()
      endif()
    endforeach()
    continue()
  endif()
  if(entry MATCHES "^\\." OR EXISTS ${SOURCE_DIR}/${entry}/CMakeCache.txt OR entry IN_LIST unchecked_folders)
    continue()
  endif()
  sources_below(${SOURCE_DIR}/${entry} files)
  if(entry IN_LIST outside_folders)
    list(APPEND outside_files ${files})
  elseif(entry IN_LIST folders)
    set("files_of_${entry}" "")
    foreach(file ${files})
      get_filename_component(dir ${file} DIRECTORY)
      if(dir STREQUAL entry)
        list(APPEND "files_of_${entry}" ${file})
      else()
        list(APPEND offences "  ${dir}/ holds ${file} but is in no layer: give it a layer in cmake/checklayers.cmake")
        list(APPEND outside_files ${file})
      endif()
    endforeach()
  elseif(files)
    list(GET files 0 first)
    list(APPEND offences "  ${entry}/ holds ${first} but is in no layer: give it a layer in cmake/checklayers.cmake")
    list(APPEND outside_files ${files})
  endif()
endforeach()

foreach(file ${outside_files})
  string(REGEX REPLACE "/.*$" "" top "${file}")
  check_library_headers(${file} ${top})
endforeach()

foreach(folder ${folders})
  foreach(file ${files_of_${folder}})
    get_filename_component(name ${file} NAME)
    set("owner_${name}" ${folder})
  endforeach()
endforeach()

foreach(folder ${folders})
  layer_of(${folder} file_layer)
  list(GET layer_names ${file_layer} file_layer_name)
  foreach(shown ${files_of_${folder}})
    check_library_headers(${shown} ${folder})
    if(${SOURCE_DIR}/${shown} IN_LIST allowed_files)
      continue()
    endif()
    includes_of(${shown} names)
    foreach(included ${names})
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
        set(header_layer ${ui_layer})
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
  message(FATAL_ERROR "A file includes what its layer may not, or lies in no layer:\n${listed}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()

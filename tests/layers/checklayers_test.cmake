# cmake -DCHECK=<cmake/checklayers.cmake> -DWORK=<scratch folder> -P checklayers_test.cmake
#
# Runs the layer check on small source trees written into WORK: a clean
# tree, which holds every kind of include the layers allow and must pass;
# for each forbidden direction, the clean tree with one wrong-way include
# added, which must fail and name that file and that include; and the clean
# tree with a source where no layer is, which must fail and name the place.

cmake_minimum_required(VERSION 3.16)

# <file>|<its text>: a header or two in each folder, each including what its
# layer may: every floor of the core below it (formats/ on platform/, app/ on
# both, device/ on all three), its own layer, forms and the widget module
# above the core, and the one exception, app/main.cpp; the device library in
# device/, and in the library and the tests whatever they need; the folders
# outside the program, and a build folder, which are no layer's.
set(clean_tree
  "platform/registry.h|#include <QSettings>"
  "formats/flashdatamap.h|#include <QMetaType>"
  "formats/keytables.h|#include \"flashdatamap.h\"\n#include \"registry.h\""
  "app/globals.h|#include \"registry.h\"\n#include \"keytables.h\""
  "device/worker.h|#include \"globals.h\"\n#include \"registry.h\"\n#include \"../formats/flashdatamap.h\""
  "device/devicelink.cpp|#include \"HIDUsb.h\""
  "hidusb/src/api.cpp|#include \"HIDUsb.h\"\n#include \"hidusb_sim.h\""
  "tests/support/bench.cpp|#include <hidusb_sim.h>\n#include \"dialogmain.h\""
  "tools/shotharness/main.cpp|#include \"dialogmain.h\""
  "resources/driver_sensor.h|#define SENSOR_3395_DPI_100\t0x01"
  "build/CMakeCache.txt|"
  "build/quzui_autogen/mocs.cpp|#include \"HIDUsb.h\""
  "widgets/popupmenu.h|#include \"repair.h\"\n#include <QtWidgets/QMenu>\n#include \"worker.h\""
  "dialogs/repair.h|#include \"popupmenu.h\"\n#include \"ui_RePair.h\""
  "macro/macrolist.h|#include \"repair.h\"\n#include \"formsetting.h\""
  "settings/formsetting.h|#include \"macrolist.h\"\n#include \"../widgets/popupmenu.h\""
  "windows/dialogmain.h|#include \"formsetting.h\"\n#include \"popupmenu.h\"\n#include \"globals.h\""
  "app/main.cpp|#include \"dialogmain.h\"")

# <case>|<file>|<the include line added to it>
set(wrong_way
  "core to a page|device/worker.cpp|#include \"../macro/macrolist.h\""
  "core to a window|app/globals.cpp|#include \"dialogmain.h\""
  "core to a form|device/worker.cpp|#include \"ui_RePair.h\""
  "core to the widget module|app/globals.cpp|#include <QtWidgets/QLabel>"
  "platform to formats|platform/registry.cpp|#include \"keytables.h\""
  "platform to app|platform/registry.cpp|#include \"globals.h\""
  "platform to device|platform/registry.cpp|#include \"worker.h\""
  "formats to app|formats/keytables.cpp|#include \"globals.h\""
  "formats header to device|formats/keytables.h|#include \"worker.h\""
  "app to device|app/globals.cpp|#include \"worker.h\""
  "app header to device by its path|app/globals.h|#include \"../device/worker.h\""
  "platform to a widget|platform/registry.cpp|#include \"popupmenu.h\""
  "widgets to a page|widgets/popupmenu.cpp|#include \"macrolist.h\""
  "dialogs to a page|dialogs/repair.cpp|#include \"../settings/formsetting.h\""
  "dialogs to a window|dialogs/repair.cpp|#include \"dialogmain.h\""
  "page to a window|macro/macrolist.cpp|#include \"dialogmain.h\""
  "page header to a window|settings/formsetting.h|#  include <dialogmain.h>"
  "window to the device library|windows/dialogmain.cpp|#include \"HIDUsb.h\""
  "page to the device library|macro/macrolist.h|#include <HIDUsb.h>"
  "app to the device library|app/globals.cpp|#include \"HIDUsb.h\""
  "formats to the device library|formats/keytables.cpp|#include \"HIDUsb.h\""
  "device to the simulated devices|device/worker.cpp|#include \"hidusb_sim.h\""
  "a tool to the device library|tools/shotharness/main.cpp|#include \"HIDUsb.h\"")

# <case>|<file>|<the line written to it>|<what the failure names>
set(no_layer
  "a new source folder|profiles/profilepage.cpp|#include \"dialogmain.h\"|profiles/"
  "a folder inside a layer's|device/usb/finder.cpp|#include \"worker.h\"|device/usb/"
  "a source in the top folder|main.cpp|int main() {}|main.cpp lies in the top folder")

function(write_tree dir)
  file(REMOVE_RECURSE ${dir})
  foreach(entry ${clean_tree})
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 file)
    list(GET parts 1 text)
    file(WRITE ${dir}/${file} "${text}\n")
  endforeach()
endfunction()

function(run_check dir rc_var out_var)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${dir} -DSTAMP=${dir}/stamp -P ${CHECK}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(${rc_var} ${rc} PARENT_SCOPE)
  set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

set(failures "")

write_tree(${WORK}/clean)
run_check(${WORK}/clean rc out)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK}/clean/stamp)
  list(APPEND failures "  the clean tree fails the check:\n${out}")
endif()

# The clean tree with `line` added to `file` must fail the check and name
# `named` in its message.
function(expect_failure case file line named)
  string(REGEX REPLACE "[^a-z]+" "_" dir "${case}")
  set(dir ${WORK}/${dir})
  write_tree(${dir})
  file(APPEND ${dir}/${file} "${line}\n")
  run_check(${dir} rc out)
  string(FIND "${out}" "${named}" at)
  if(rc EQUAL 0 OR EXISTS ${dir}/stamp)
    list(APPEND failures "  ${case}: ${file} with '${line}' passes the check")
  elseif(at EQUAL -1)
    list(APPEND failures "  ${case}: the check fails without naming ${named}:\n${out}")
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

foreach(entry ${wrong_way} ${no_layer})
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 case)
  list(GET parts 1 file)
  list(GET parts 2 line)
  list(LENGTH parts fields)
  if(fields EQUAL 4)
    list(GET parts 3 named)
  else()
    string(REGEX REPLACE "^#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]$" "\\1" included "${line}")
    set(named "${file} includes ${included} ")
  endif()
  expect_failure("${case}" ${file} "${line}" "${named}")
endforeach()

if(failures)
  string(REPLACE ";" "\n" listed "${failures}")
  message(FATAL_ERROR "The layer check lets a wrong-way include or a source in no layer through, or stops a right one:\n${listed}")
endif()
list(LENGTH wrong_way count)
list(LENGTH no_layer unlayered)
message(STATUS "The clean tree passes; each of the ${count} wrong-way includes and ${unlayered} sources in no layer fails the check")

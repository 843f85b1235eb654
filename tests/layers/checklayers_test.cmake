# cmake -DCHECK=<cmake/checklayers.cmake> -DWORK=<scratch folder> -P checklayers_test.cmake
#
# Runs the layer check on small source trees written into WORK: a clean
# tree, which holds every kind of include the layers allow and must pass,
# and, for each forbidden direction, the clean tree with one wrong-way
# include added, which must fail and name that file and that include.

cmake_minimum_required(VERSION 3.16)

# <file>|<its text>: one header in each folder, each including what its
# layer may: a lower layer, its own layer, forms and the widget module above
# the core, and the one exception, app/main.cpp.
set(clean_tree
  "platform/registry.h|#include <QSettings>"
  "app/globals.h|#include \"registry.h\""
  "device/worker.h|#include \"globals.h\"\n#include \"registry.h\""
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
  "platform to app|platform/registry.cpp|#include \"globals.h\""
  "platform to device|platform/registry.cpp|#include \"worker.h\""
  "platform to a widget|platform/registry.cpp|#include \"popupmenu.h\""
  "widgets to a page|widgets/popupmenu.cpp|#include \"macrolist.h\""
  "dialogs to a page|dialogs/repair.cpp|#include \"../settings/formsetting.h\""
  "dialogs to a window|dialogs/repair.cpp|#include \"dialogmain.h\""
  "page to a window|macro/macrolist.cpp|#include \"dialogmain.h\""
  "page header to a window|settings/formsetting.h|#  include <dialogmain.h>")

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

foreach(entry ${wrong_way})
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 case)
  list(GET parts 1 file)
  list(GET parts 2 line)
  string(REGEX REPLACE "[^a-z]+" "_" dir "${case}")
  set(dir ${WORK}/${dir})
  write_tree(${dir})
  file(APPEND ${dir}/${file} "${line}\n")
  string(REGEX REPLACE "^#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]$" "\\1" included "${line}")
  run_check(${dir} rc out)
  string(FIND "${out}" "${file} includes ${included} " at)
  if(rc EQUAL 0 OR EXISTS ${dir}/stamp)
    list(APPEND failures "  ${case}: ${file} with '${line}' passes the check")
  elseif(at EQUAL -1)
    list(APPEND failures "  ${case}: the check fails without naming ${file} and ${included}:\n${out}")
  endif()
endforeach()

if(failures)
  string(REPLACE ";" "\n" listed "${failures}")
  message(FATAL_ERROR "The layer check lets a wrong-way include through or stops a right one:\n${listed}")
endif()
list(LENGTH wrong_way count)
message(STATUS "The clean tree passes; each of the ${count} wrong-way includes fails the check")

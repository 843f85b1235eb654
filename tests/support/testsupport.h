#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include "flashdatamap.h"

#include <QString>

// The built program folder (build/bin: executable, device library, data
// files, pictures). Test executables live in build/tests; every test process
// names this folder in QUZ_PROGRAM_DIR when its application object is made,
// so programDir() finds the data files there.
QString builtProgramDir();

// Puts every program-wide global back to its start value.
void resetAllGlobals();
// Adds a reset that resetAllGlobals() runs after the core's own: the support
// of the user interface's tests adds the globals of the layers above.
void addGlobalReset(void (*reset)());

// resetAllGlobals(), then a fresh default bench of simulated devices that
// answers without delays, the status re-read clock back to real time, the
// device records registered for queued signals and the per-device cache
// folder in place.
void resetDeviceBench();

// The record discovery makes of the default bench's 4K receiver "R1" with
// its mouse behind it (link 1, model 1), not yet marked online.
DeviceAllInfo benchReceiverEntry();

#endif

#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <QString>

// Puts every program-wide global back to its start value.
void resetAllGlobals();

#endif

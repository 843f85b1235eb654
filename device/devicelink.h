#ifndef DEVICELINK_H
#define DEVICELINK_H

// The plain device operations the windows and pages need beside the
// setters: ending the device server, the PC driver status and whether a
// device answers.

#include "flashdatamap.h"

// Ends the device server: no report reaches any callback once the one in
// progress has returned. Does not wait.
void stopDeviceServer();

// Tells the device whether the program listens to it (the PC driver status).
void setPCDriverStatus(bool listening);

// True when the device at `path` (or the mouse behind that receiver)
// answers.
bool deviceAnswers(const char *path);

// The same question with the receiver's address: `answer` (at least 10
// bytes, kUsbAddressBufferSize) gets byte 6 = 1 when the device answers and
// the sub-device bytes in 7, 8 and 9. Returns the library's online byte.
u8 readDeviceAddress(const char *path, u8 *answer);

#endif // DEVICELINK_H

#ifndef PAGEREPAIRDIALOG_H
#define PAGEREPAIRDIALOG_H

// The settings page's update and repair dialog, which the device list's
// repair button reaches too: made and deleted with the
// page, null while no page exists. GUI thread only.

class UpDateRepair;

extern UpDateRepair *g_updateRepairDialog;

#endif // PAGEREPAIRDIALOG_H

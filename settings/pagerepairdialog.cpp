#include "pagerepairdialog.h"

UpDateRepair *g_updateRepairDialog = nullptr;

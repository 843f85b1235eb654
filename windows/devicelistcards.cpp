#include "devicelistcards.h"

DialogChange *g_dialogChange = nullptr;
QList<QToolButton *> g_deviceButtons;
QList<QLabel *> g_nameLabels;
QList<QLabel *> g_linkLabels;
QList<QLabel *> g_offlineMarkers;
QList<QLabel *> g_rateLabels;

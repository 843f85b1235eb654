#ifndef DEVICELISTCARDS_H
#define DEVICELISTCARDS_H

// The device list page (null while none exists) and the widgets of its
// cards, in card order: the card buttons, the device names, the link marks,
// the offline marks and the polling rate badges (of the cards whose link has
// one). The page fills and empties the lists; GUI thread only.

#include <QList>

class DialogChange;
class QLabel;
class QToolButton;

extern DialogChange *g_dialogChange;
extern QList<QToolButton *> g_deviceButtons;
extern QList<QLabel *> g_nameLabels;
extern QList<QLabel *> g_linkLabels;
extern QList<QLabel *> g_offlineMarkers;
extern QList<QLabel *> g_rateLabels;

#endif // DEVICELISTCARDS_H

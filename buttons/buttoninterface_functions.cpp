// The function slots of the shared button menu. Each assigns one function
// to the button of g_menuButtonIndex; until they write to the device, a
// chosen function changes nothing.
#include "buttoninterface.h"

void Buttoninterface::slotLeftKey() {}
void Buttoninterface::slotRightKey() {}
void Buttoninterface::slotWheelKey() {}
void Buttoninterface::slotForwardKey() {}
void Buttoninterface::slotBackKey() {}
void Buttoninterface::slotPollingRateKey() {}
void Buttoninterface::slotProfileSwitchKey() {}
void Buttoninterface::slotKeyCombinationKey() {}
void Buttoninterface::slotDisableKey() {}
void Buttoninterface::slotMacroMenu() {}
void Buttoninterface::slotDPIUpKey() {}
void Buttoninterface::slotDPIDownKey() {}
void Buttoninterface::slotDPILoopKey() {}
void Buttoninterface::slotMediaPlayerKey() {}
void Buttoninterface::slotPlayPauseKey() {}
void Buttoninterface::slotNextKey() {}
void Buttoninterface::slotMuteKey() {}
void Buttoninterface::slotPreviousKey() {}
void Buttoninterface::slotStopplayKey() {}
void Buttoninterface::slotVoulumeupKey() {}
void Buttoninterface::slotVoulumedownKey() {}
void Buttoninterface::slotEmailKey() {}
void Buttoninterface::slotCalculatorKey() {}
void Buttoninterface::slotMycomputerKey() {}
void Buttoninterface::slotHomePageKey() {}
void Buttoninterface::slotSearchKey() {}
void Buttoninterface::slotStopWebKey() {}
void Buttoninterface::slotRefreshKey() {}
void Buttoninterface::slotFavoritesKey() {}
void Buttoninterface::slotKeyWheelUp() {}
void Buttoninterface::slotKeyWheelDown() {}
void Buttoninterface::slotKey100() {}
void Buttoninterface::slotKey200() {}
void Buttoninterface::slotKey300() {}
void Buttoninterface::slotKey400() {}
void Buttoninterface::slotKey500() {}
void Buttoninterface::slotKey600() {}
void Buttoninterface::slotKey700() {}
void Buttoninterface::slotKey800() {}
void Buttoninterface::slotKey900() {}
void Buttoninterface::slotKey1000() {}
void Buttoninterface::slotKey1100() {}
void Buttoninterface::slotKey1200() {}

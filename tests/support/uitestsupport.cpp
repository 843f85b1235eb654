// What the user interface's tests reset beyond the core: the key hooks of
// the button page and its key dialogs.
#include "keyboardhook.h"
#include "testsupport.h"

#include <QCoreApplication>

namespace {
void addUiResets()
{
    addGlobalReset(resetKeyHooks);
}
} // namespace
Q_COREAPP_STARTUP_FUNCTION(addUiResets)

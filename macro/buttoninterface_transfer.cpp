// Macros between the device page and the mouse: a saved macro re-sent to the
// buttons that run it, a renamed macro renamed on them, and the macros found
// on the device turned back into macro files.
#include "buttoninterface.h"

#include "devicesetters.h"
#include "macroblock.h"
#include "macrofile.h"
#include "macroname.h"
#include "postmsg.h"

#include <QPushButton>
#include <QTimer>

namespace {
// What a save changed, as SigUpDataMacro's index tells it.
constexpr int kEventsChanged = 1;
constexpr int kLoopChanged = 2;
} // namespace

QVector<int> Buttoninterface::macroBoundButtons(const QString &name) const
{
    QVector<int> bound;
    for (int menuIndex = 0; menuIndex < kButtonCount; ++menuIndex) {
        const int k = deviceButtonIndex(menuIndex);
        // The name as the device holds it: a name with blanks or of another
        // script is still the same macro.
        const ButtonMacroBinding held = buttonMacroBinding(k);
        if (held.function.type == kMacroFunctionType && macroBlockStoredName(macroBlockOf(held.block)) == name)
            bound.append(k);
    }
    return bound;
}

void Buttoninterface::SlotMacroDownLoadData(QString MacroName, int index)
{
    MacroDownloadRecord block;
    if (!pageMayWrite() || !macroBoundButtons(MacroName).contains(index)
        || !ReadMacroFile(m_macroDir, MacroName, &block))
        return;
    resendButtonMacro(index, block.bytes());
}

void Buttoninterface::SlotUpDataMacro(QString MacroName, int index)
{
    if (index != 0 && index != 1)
        return;
    // A save that changed both emits 0, then 1: collected, they make one
    // send per button and, offline, one notice.
    if (m_pendingMacroSends.isEmpty())
        QTimer::singleShot(0, this, &Buttoninterface::sendPendingMacros);
    m_pendingMacroSends[MacroName] |= index == 0 ? kEventsChanged : kLoopChanged;
}

void Buttoninterface::sendPendingMacros()
{
    const QMap<QString, int> pending = m_pendingMacroSends;
    m_pendingMacroSends.clear();
    if (!pageMayWrite())
        return;
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        const QString &name = it.key();
        // The saved file holds exactly what the user saved, whatever the
        // editor shows by now.
        MacroDownloadRecord saved;
        const bool events = it.value() & kEventsChanged;
        if (events && !ReadMacroFile(m_macroDir, name, &saved))
            continue;
        const int loop = it.value() & kLoopChanged ? macroLoopMode(ReadMacroHeader(m_macroDir, name)) : -1;
        for (int k : macroBoundButtons(name)) {
            // Only an offline device refuses a send: one notice is enough.
            if (!resendButtonMacro(k, events ? saved.bytes() : nullptr, loop))
                return;
        }
    }
}

void Buttoninterface::SlotMacroRename(QString Rename, QString Name)
{
    if (!pageMayWrite())
        return;
    for (int k : macroBoundButtons(Rename)) {
        MacroDownloadRecord block = macroBlockOf(buttonMacroBinding(k).block);
        renameMacroBlock(&block, Name);
        // The label follows the device: a button the device still runs
        // under the old name keeps showing it.
        if (!resendButtonMacro(k, block.bytes()))
            return;
        buttonForDevice(k)->setText(QStringLiteral("        ") + m_macroLabelPrefix + Name);
    }
}

void Buttoninterface::SlotButtonToMacro(FlashDataMap DataMap, int KeyNumer)
{
    if (KeyNumer < 0 || KeyNumer >= 16)
        return;
    const MacroDownloadRecord block = macroBlockOf(DataMap, KeyNumer);
    // The labelling wrote the macro's file whole under this same name; a
    // name that cannot be a file name got no file.
    const QString name = macroBlockStoredName(block);
    if (!isMacroFileName(name))
        return;
    macroArrivedFromDevice(name);
    PostMsg::instance()->postAddMacroButton();
}

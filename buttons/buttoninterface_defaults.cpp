// Button functions given without the function menu: the page store of a
// button's function, the consumer key and key combination operations, and
// the defaults that buttons bound to a deleted macro fall back to.
#include "buttoninterface.h"

#include "buttoncodes.h"
#include "configsettings.h"
#include "devicesearch.h"
#include "devicesetters.h"
#include "globals.h"

#include <QAction>
#include <QPushButton>

namespace {

// The menu action of each consumer key, by the low byte of its usage.
struct ConsumerAction {
    u8 low;
    Buttoninterface::Function function;
};
constexpr ConsumerAction kConsumerActions[] = {
    {0x83, Buttoninterface::FnMediaPlayerKey}, {0xCD, Buttoninterface::FnPlayPauseKey},
    {0xB5, Buttoninterface::FnNextKey},        {0xB6, Buttoninterface::FnPreviousKey},
    {0xB7, Buttoninterface::FnStopplayKey},    {0xE2, Buttoninterface::FnMuteKey},
    {0xE9, Buttoninterface::FnVoulumeupKey},   {0xEA, Buttoninterface::FnVoulumedownKey},
    {0x8A, Buttoninterface::FnEmailKey},       {0x92, Buttoninterface::FnCalculatorKey},
    {0x94, Buttoninterface::FnMycomputerKey},  {0x23, Buttoninterface::FnHomePageKey},
    {0x21, Buttoninterface::FnSearchKey},      {0x26, Buttoninterface::FnStopWebKey},
    {0x27, Buttoninterface::FnRefreshKey},     {0x2A, Buttoninterface::FnFavoritesKey},
};

// The mouse function each widget, ButtonA..ButtonF, falls back to.
constexpr Buttoninterface::Function kMouseDefaults[Buttoninterface::kButtonCount] = {
    Buttoninterface::FnLeftKey,    Buttoninterface::FnRightKey, Buttoninterface::FnWheelKey,
    Buttoninterface::FnForwardKey, Buttoninterface::FnBackKey,  Buttoninterface::FnDPILoopKey,
};

const QString kShortForm = QStringLiteral("     ");
// A macro label: eight blanks, the macro prefix, the name.
constexpr int kLongFormBlanks = 8;

} // namespace

void Buttoninterface::setButtonFunction(int button, int type, int code, int param)
{
    if (button < 0)
        return;
    if (button >= m_buttonTypes.size()) {
        m_buttonTypes.resize(button + 1);
        m_buttonCodes.resize(button + 1);
        m_buttonParams.resize(button + 1);
    }
    m_buttonTypes[button] = type;
    m_buttonCodes[button] = code;
    m_buttonParams[button] = param;
}

QAction *Buttoninterface::consumerKeyAction(int usageLow) const
{
    for (const ConsumerAction &entry : kConsumerActions) {
        if (entry.low == usageLow)
            return functionAction(entry.function);
    }
    return nullptr;
}

void Buttoninterface::AssignConsumerKey(int button, int usageLow)
{
    if (!writeConsumerKey(button, usageLow))
        return;
    setButtonFunction(button, kKeyRecordFunction.type, kKeyRecordFunction.code, kKeyRecordFunction.param);
    buttonForDevice(button)->setText(kShortForm + consumerKeyAction(usageLow)->text());
}

void Buttoninterface::AssignCombinationKey(int button, QString text)
{
    if (!writeCombinationKey(button, text))
        return;
    setButtonFunction(button, kKeyRecordFunction.type, kKeyRecordFunction.code, kKeyRecordFunction.param);
    buttonForDevice(button)->setText(kShortForm + text);
}

void Buttoninterface::SlotDeleteMacroButton(QString MacroName)
{
    // The macro editor names the deleted macro with its own prefix, the
    // labels with theirs; the two are the same text in the shipped
    // languages but need not be, so bare names are compared.
    const QString deleted = MacroName.startsWith(m_macroDeletedPrefix) ? MacroName.mid(m_macroDeletedPrefix.size())
                                                                      : MacroName;
    if (deleted.isEmpty())
        return;

    const QString group = selectedDriveGroup();
    for (int menuIndex = 0; menuIndex < kButtonCount; ++menuIndex) {
        QString bound = buttonWidget(menuIndex)->text().mid(kLongFormBlanks).remove(QChar(0));
        // Only a macro label carries the prefix; a key combination whose
        // text happens to equal the macro name is no binding.
        if (!bound.startsWith(m_macroLabelPrefix))
            continue;
        bound.remove(0, m_macroLabelPrefix.size());
        if (bound != deleted)
            continue;

        const int button = deviceButtonIndex(menuIndex);
        const KeyParamDefault fallback =
            keyParamDefault(ConfigSettings::instance()->readStringList(group, "KeyParam" + QString::number(button + 1)));
        switch (fallback.kind) {
        case KeyParamDefault::Consumer:
            AssignConsumerKey(button, fallback.usageLow);
            break;
        case KeyParamDefault::Combination:
            AssignCombinationKey(button, fallback.text);
            break;
        case KeyParamDefault::NoChange:
            break;
        case KeyParamDefault::MouseDefault:
            // Exactly as if the user chose the function from this button's menu.
            g_menuButtonIndex = menuIndex;
            functionAction(kMouseDefaults[menuIndex])->trigger();
            break;
        }
    }
}

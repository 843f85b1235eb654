#include "groupkey.h"

#include "addkey.h"
#include "groupmaxthree.h"
#include "keyboardhook.h"
#include "keytables.h"
#include "screenmetrics.h"
#include "startup.h"
#include "ui_GroupKey.h"
#include "widgetfonts.h"

#include <QCheckBox>

namespace {

constexpr NoticeTraits kGroupKey = {"groupKeyA", {&g_langGroupKey, 0}, {nullptr, 0, 0}, {&g_langQuestion, 2},
                                    {nullptr, 0}, "Confirm", true, true, true, false, false};

} // namespace

GroupKey::GroupKey(QWidget *parent)
    : KeyEntryDialog(kGroupKey, parent), ui(new Ui::GroupKey), m_keyboardHook(new GroupKeyHook)
{
    adoptHook(m_keyboardHook);
    ui->setupUi(this);
    scaleWidgetFonts(this, fontFactorForDpi(logicalScreenDpi()));
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed(); };

    m_keyboardHook->InstallGroupKeyHook();
    g_groupKeyHookCallback = bindKeyHookCallback(this, &GroupKey::UpdateCapslockTip);

    build();
    // The line shows the keys the hook reports and nothing else: a typed
    // key would otherwise land in it a second time, and so would text
    // pasted or composed into it.
    ui->lineEdit->setAttribute(Qt::WA_InputMethodEnabled, false);
    ui->lineEdit->setReadOnly(true);
    ui->lineEdit->setFocus();
}

GroupKey::~GroupKey() = default;

QString GroupKey::keyName(int vk)
{
    if (vk == 0x5B || vk == 0x5C || (vk >= 0xA0 && vk <= 0xA5))
        return QString();
    return virtualKeyMacroName(vk);
}

void GroupKey::SlotSetStyle(int index)
{
    NoticeDialog::SlotSetStyle(index);
    const QString &p = picturePath;
    const QString box = "QCheckBox{color: rgb(" + themeRgbTriple(g_themeLabelColor)
                        + ";);}QCheckBox::indicator:checked {image: url(" + p
                        + "CheckBoxCheck.png" + ");}QCheckBox::indicator:unchecked {image: url(" + p + "CheckBox.png"
                        + ");}";
    for (QCheckBox *b : {ui->Shift, ui->Ctrl, ui->Alt, ui->Win, ui->RShift, ui->RCtrl, ui->RAlt})
        b->setStyleSheet(box);
    ui->lineEdit->setStyleSheet("QLineEdit{color: rgb(" + themeRgbTriple(g_themeLinEditColor) + ";);}");
}

QCheckBox *GroupKey::modifierBox(int vk) const
{
    switch (vk) {
    case 0xA0: return ui->Shift;
    case 0xA1: return ui->RShift;
    case 0xA2: return ui->Ctrl;
    case 0xA3: return ui->RCtrl;
    case 0xA4: return ui->Alt;
    case 0xA5: return ui->RAlt;
    case 0x5B:
    case 0x5C: return ui->Win;
    default: return nullptr;
    }
}

void GroupKey::UpdateCapslockTip(int keyCode, bool downOrUp, bool)
{
    if (!downOrUp)
        return;
    // Ctrl+Shift+A typed on the keyboard means the two boxes and A: the
    // modifiers have no name of their own in the line, so without this they
    // were dropped and the button got A alone.
    if (QCheckBox *box = modifierBox(keyCode)) {
        box->setChecked(true);
        return;
    }
    // A sequence is open for two seconds from its first key; the next key
    // after that starts a new one.
    const qint64 now = m_clock();
    if (m_firstKey) {
        m_sequenceStart = now;
        m_firstKey = 0;
    } else if (now - m_sequenceStart > kSequenceMs) {
        ui->lineEdit->clear();
        m_lastKey = -1;
        m_sequenceStart = now;
    }
    // A held key repeats with the same code.
    if (keyCode == m_lastKey)
        return;
    m_lastKey = keyCode;
    const QString name = keyName(keyCode);

    const QString text = ui->lineEdit->text();
    // Whole keys, not characters: "1" is not in "F1", and "Num+" is one key.
    const QStringList keys = text.isEmpty() ? QStringList() : combinationTokens(text);
    m_plusCount = qMax(0, keys.size() - 1);
    if (m_plusCount >= 2) {
        // A fourth key starts a new combination.
        m_plusCount = 0;
        ui->lineEdit->setText(name);
        return;
    }
    if (name.isEmpty() || keys.contains(name))
        return;
    if (text.isEmpty()) {
        ui->lineEdit->setText(name);
    } else {
        ui->lineEdit->setText(text + "+" + name);
        if (m_plusCount == 1)
            m_lastKey = -1;   // the third key: pressing it again starts over
    }
}

void GroupKey::on_NewHong_clicked()
{
    m_resultText.clear();
    const struct {
        QCheckBox *box;
        const char *name;
    } modifiers[] = {
        {ui->Shift, "Shift"}, {ui->Ctrl, "Ctrl"},        {ui->Alt, "Alt"},
        {ui->Win, "Win"},     {ui->RCtrl, "Right Ctrl"}, {ui->RAlt, "Right Alt"}, {ui->RShift, "Right Shift"},
    };
    QStringList names;
    for (const auto &m : modifiers) {
        if (m.box->isChecked())
            names << QString::fromLatin1(m.name);
    }
    const QString line = ui->lineEdit->text();
    const int count = names.size() + (line.isEmpty() ? 0 : combinationTokens(line).size());

    if (count >= 4) {
        GroupMaxThree notice(nullptr);
        notice.move(pos());
        notice.exec();
        // The notice had the keyboard; without it back the hook would hear
        // nothing (a window that bypasses the window manager is not given
        // the focus again by it).
        activateWindow();
        m_plusCount = 0;
        m_lastKey = -1;
        ui->lineEdit->clear();
        return;
    }

    m_keyboardHook->RemoveGroupKeyHook();
    if (!line.isEmpty())
        names << line;
    m_resultText = names.join(QLatin1Char('+'));
    m_accepted = 1;
    close();
}

void GroupKey::on_CloseButton_clicked()
{
    m_accepted = 0;
    m_keyboardHook->RemoveGroupKeyHook();
    close();
}

void GroupKey::on_lineEdit_textEdited(const QString &text)
{
    ui->lineEdit->setText(text.toUpper());
}

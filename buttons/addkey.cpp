#include "addkey.h"

#include "keyboardhook.h"
#include "ui_addKey.h"

#include <QLineEdit>

namespace {

constexpr NoticeTraits kAddKey = {"addKeyA", {&g_langAddKey, 0}, {nullptr, 0, 0}, {&g_langQuestion, 2}, {nullptr, 0},
                                  "Confirm", true, true, true, false, false};
} // namespace

addKey::addKey(QWidget *parent) : KeyEntryDialog(kAddKey, parent), ui(new Ui::addKey), m_keyboardHook(new AddKeyHook)
{
    ui->setupUi(this);
    adoptHook(m_keyboardHook);
    m_keyboardHook->InstallAddKeyHook();
    g_addKeyHookCallback = bindKeyHookCallback(this, &addKey::UpdateCapslockTip);
    build();
    ui->lineEdit->setFocus(Qt::ActiveWindowFocusReason);
}

addKey::~addKey() = default;

void addKey::SlotSetStyle(int index)
{
    NoticeDialog::SlotSetStyle(index);
    ui->lineEdit->setStyleSheet("QLineEdit{color: rgb(" + themeRgbTriple(g_themeLinEditColor) + ";);}");
}

void addKey::UpdateCapslockTip(int keyCode, bool, bool)
{
    // The press, every repeat and the release each name the key again.
    const QString name = virtualKeyMacroName(keyCode);
    m_settingText = true;
    ui->lineEdit->setText(name);
    m_settingText = false;
    m_keyName = name;
}

void addKey::on_lineEdit_textChanged(const QString &)
{
    // Only names the dialog sets stay: a typed character is taken out again.
    if (!m_settingText)
        ui->lineEdit->clear();
}

void addKey::on_NewHong_clicked()
{
    m_accepted = true;
    m_keyboardHook->RemoveAddKeyHook();
    accept();
}

void addKey::on_CloseButton_clicked()
{
    m_accepted = false;
    m_keyboardHook->RemoveAddKeyHook();
    reject();
}

void addKey::on_NewHong_2_clicked()
{
    on_CloseButton_clicked();
}

#include "addkey.h"

#include "keyboardhook.h"
#include "ui_addKey.h"

#include <QLineEdit>

namespace {

constexpr NoticeTraits kAddKey = {"addKeyA", {&g_langAddKey, 0}, {nullptr, 0, 0}, {&g_langQuestion, 2}, {nullptr, 0},
                                  "Confirm", true, true, true, false, false};

struct NamedKey {
    int vk;
    const char *name;   // UTF-8
};

const NamedKey kNamedKeys[] = {
    {0x08, "BackSpace"}, {0x09, "Tab"},      {0x0D, "Enter"},    {0x13, "Pause"},   {0x14, "CapsLock"},
    {0x1B, "Esc"},       {0x20, "Space"},    {0x21, "PgUp"},     {0x22, "PgDn"},    {0x23, "End"},
    {0x24, "Home"},      {0x25, "←"},        {0x26, "↑"},        {0x27, "→"},       {0x28, "↓"},
    {0x2C, "Screen"},    {0x2D, "Insert"},   {0x2E, "Del"},      {0x5B, "LWin"},    {0x5C, "RWin"},
    {0x5D, "APPs"},      {0x6A, "Num*"},     {0x6B, "Num+"},     {0x6D, "Num-"},    {0x6E, "Num."},
    {0x6F, "Num/"},      {0x90, "NumLock"},  {0x91, "Scroll"},   {0xA0, "LShift"},  {0xA1, "RShift"},
    {0xA2, "LCtrl"},     {0xA3, "RCtrl"},    {0xA4, "LAlt"},     {0xA5, "RAlt"},    {0xBA, ";"},
    {0xBB, "="},         {0xBC, ","},        {0xBD, "-"},        {0xBE, "."},       {0xBF, "/"},
    {0xC0, "`"},         {0xDB, "["},        {0xDC, "\\"},       {0xDD, "]"},       {0xDE, "'"},
};

} // namespace

QString virtualKeyMacroName(int vk)
{
    if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A))
        return QString(QChar(vk));
    if (vk >= 0x70 && vk <= 0x7B)
        return QStringLiteral("F") + QString::number(vk - 0x70 + 1);
    if (vk >= 0x60 && vk <= 0x69)
        return QStringLiteral("Num") + QString::number(vk - 0x60);
    for (const NamedKey &k : kNamedKeys) {
        if (k.vk == vk)
            return QString::fromUtf8(k.name);
    }
    return QString();
}

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

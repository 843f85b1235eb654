// The stand-alone macro page: construction, texts, looks, and the page's
// own handling of keys, mouse presses and its name field.
#include "macro.h"
#include "ui_Macro.h"

#include "configsettings.h"
#include "globals.h"
#include "keyboardhook.h"
#include "macroeditorshared.h"
#include "macrofile.h"
#include "postmsg.h"

#include <QButtonGroup>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

u8 g_standaloneMacroRecording = 0;

namespace {

// Characters the name field refuses from the keyboard and from an input
// method: the punctuation a macro name is kept free of.
const QStringList &refusedNameKeys()
{
    static const QStringList keys = {"-",  "=", "[",  "]", ";",  "'",  ",",  ".", "/",
                                     "`",  "【", "\\", "；", "’", "，", "。", "*", "+"};
    return keys;
}

const QStringList &refusedNameCommits()
{
    static const QStringList commits = {"【", "】", "-", "=", "、", "；", "’", "，", "。", "/", "*", "·", "‘"};
    return commits;
}

// Language positions of the page's texts.
struct PageText {
    const char *object;
    int position;
};
const PageText kMacroTexts[] = {
    {"label", 0},         {"label_2", 1},        {"StartRecord", 6}, {"StopRecord", 7},    {"label_4", 8},
    {"ReUntilLoose", 10}, {"ReUntilClick", 11},  {"ReNumber", 13},   {"label_3", 14},      {"Keydown_2", 15},
    {"KeyUp_2", 16},      {"DelayEnter", 17},    {"Save", 18},       {"DelayEnter_2", 25}, {"KeyUp", 26},
    {"Keydown", 27},
};
constexpr int kNamePlaceholderText = 28;
constexpr int kEditEventText = 4;
constexpr int kDeleteEventText = 5;

} // namespace

Macro::Macro(QWidget *parent) : QWidget(parent), ui(new Ui::Macro)
{
    ui->setupUi(this);
    m_keyboardHook = new KeyboardHook;
    m_recordKeys = new RecordingKeyStop(this);

    m_pictureDir = programDir() + "/Picture/Macro/";
    m_macroDir = userDataDir() + "/usersetting/MacroPage";
    for (const QString &name : listMacroNames(m_macroDir))
        insertMacroRow(ui->listWidgetHong, ui->listWidgetHong->count(), name);

    m_unusedGroup = new QButtonGroup(this);
    m_unusedGroup->setExclusive(true);
    m_repeatModeGroup = new QButtonGroup(this);
    m_repeatModeGroup->setExclusive(true);
    for (QCheckBox *box : {ui->ReUntilLoose, ui->ReUntilClick, ui->ReNumber})
        m_repeatModeGroup->addButton(box);

    ui->StartRecord->setFocusPolicy(Qt::NoFocus);
    ui->StopRecord->hide();
    ui->AutoInsertDelay->setChecked(true);

    m_buttonColor = rgbTriple(ConfigSettings::instance()->readStringList("Option", "ButtonColor"), QString());
    // Each change of mode toggles two boxes; both mark the mode changed.
    connect(m_repeatModeGroup, &QButtonGroup::idToggled, this, [this](int, bool) {
        m_macroSettingsChanged = true;
        showSaveButton();
    });
    ui->Save->hide();

    PostMsg *hub = PostMsg::instance();
    connect(hub, &PostMsg::SigAllLanguage, this, &Macro::SlotAllLanguage);
    SlotAllLanguage(g_language);
    // The form's own colours are white on white on the light pages: the
    // page follows the theme like every other page.
    connect(hub, &PostMsg::SigSetStyle, this, &Macro::SlotSetStyle);
    SlotSetStyle(0);

    ui->MacroName->setFocus(Qt::ActiveWindowFocusReason);
    ui->MacroName->installEventFilter(this);
    // The key boxes capture keys while they have the focus.
    ui->lineEditPress->installEventFilter(this);
    ui->lineEditRelease->installEventFilter(this);
}

Macro::~Macro()
{
    // No key may reach a page that is gone.
    m_keyboardHook->release();
    g_standaloneMacroRecording = 0;
    delete m_keyboardHook;
    delete ui;
}

// ---- Texts ------------------------------------------------------------------

void Macro::SlotAllLanguage(int index)
{
    const auto macroText = [index](int position) { return langText(g_langMacro, index, position); };
    for (const PageText &t : kMacroTexts) {
        QWidget *w = findChild<QWidget *>(QString::fromLatin1(t.object));
        if (auto *label = qobject_cast<QLabel *>(w))
            label->setText(macroText(t.position));
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            button->setText(macroText(t.position));
    }
    ui->MacroName->setPlaceholderText(macroText(kNamePlaceholderText));

    const auto buttonText = [index](int position) { return langText(g_langButtoninterface, index, position); };
    m_mouseNames.left = buttonText(4);
    m_mouseNames.right = buttonText(5);
    m_mouseNames.middle = buttonText(6);
    m_mouseNames.forward = buttonText(7);
    m_mouseNames.back = buttonText(8);
    ui->LeftButton->setText(m_mouseNames.left);
    ui->RightButton->setText(m_mouseNames.right);
    ui->MidButton->setText(m_mouseNames.middle);
    nameMouseEventRows(ui->listWidgetKey, m_mouseNames);

    m_macroDeletedPrefix = macroText(19);
    m_exportMacroText = macroText(20);
    m_renameMacroText = macroText(21);
    m_deleteMacroText = macroText(22);
    m_newMacroText = macroText(23);
    m_importMacroText = macroText(24);
    m_editEventText = macroText(kEditEventText);
    m_deleteEventText = macroText(kDeleteEventText);
}

// ---- Looks ------------------------------------------------------------------

void Macro::SlotSetStyle(int index)
{
    Q_UNUSED(index);
    const QString &F = m_pictureDir;
    const QString L = themeRgbTriple(g_themeLabelColor);
    m_buttonColor = themeRgbTriple(g_themeButtonColor);
    const QString &B = m_buttonColor;
    const QString S = themeRgbTriple(g_themeButtonSpinBoxColor);
    const QString T = themeRgbTriple(g_themeLinEditColorSecond);
    const QString D = themeRgbTriple(g_themeDPISpinBoxborder);
    const QString A = themeRgbTriple(g_themeDPISpinBoxborderA);

    ui->MacroName->setStyleSheet("QLineEdit{background-color: transparent;border-width:0;border-style:outset;color: rgb("
                                 + L + ";);}");
    ui->Save->setStyleSheet("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb("
                            + B + ";);background-image: url(" + F + "Button.png" + ");}");
    for (QLabel *l : {ui->label, ui->label_2, ui->label_3, ui->label_4, ui->Keydown, ui->KeyUp, ui->DelayEnter,
                      ui->LeftButton, ui->RightButton, ui->MidButton})
        l->setStyleSheet("QLabel{color: rgb(" + L + ";);}");
    for (QLabel *l : {ui->Keydown_2, ui->KeyUp_2, ui->DelayEnter_2})
        l->setStyleSheet("QLabel{color: rgb(" + D + ";);}");
    ui->AutoInsertDelay->setStyleSheet("QCheckBox{color: rgb(" + L
                                       + ";);}QCheckBox:indicator::checked {image: url(" + F + "toggle_on.png"
                                       + ");}QCheckBox::indicator::unchecked {image: url(" + F + "toggle_off.png"
                                       + ");}");
    for (QCheckBox *box : {ui->ReUntilLoose, ui->ReUntilClick, ui->ReNumber})
        box->setStyleSheet("QCheckBox{color: rgb(" + L + ";);}QCheckBox:indicator::checked {image: url(" + F
                           + "CheckBoxCheck.png" + ");}QCheckBox::indicator::unchecked {image: url(" + F
                           + "CheckBox.png" + ");}");
    // The caption keeps clear of the record mark at the picture's left.
    ui->StopRecord->setStyleSheet(
        "QPushButton{border:0px;padding-left:24px;background-origin:border;background-position:center;background-repeat:no-repeat;text-align: "
        "center;color: rgb("
        + B + ";);background-image: url(" + F + "RECORD_dn.png" + ");}QPushButton:hover{background-image: url(" + F
        + "RECORD_dn.png" + "); }");
    ui->StartRecord->setStyleSheet(
        "QPushButton{border:0px;padding-left:24px;background-origin:border;text-align: center;background-position:center;background-repeat:"
        "no-repeat;color: rgb("
        + B + ";);background-image: url(" + F + "RECORD_nr.png" + ");}QPushButton:hover{background-image: url(" + F
        + "RECORD_ov.png" + "); }");
    const QString box = "{background-color: rgb(" + S + ");color: rgb(" + T + ";);border: 1px solid  rgb(" + D
                        + ";);}";
    const QString hover = ":hover{border: 1px solid  rgb(" + A + ";);}";
    for (QWidget *w : {static_cast<QWidget *>(ui->NumberEdit), static_cast<QWidget *>(ui->lineEditDelay)})
        w->setStyleSheet("QSpinBox" + box + "QSpinBox" + hover);
    for (QWidget *w : {ui->lineEditPress, ui->lineEditRelease})
        w->setStyleSheet("QLineEdit" + box + "QLineEdit" + hover);
    for (QPushButton *b : {ui->MacroNameEnter, ui->lineEditPress_2, ui->lineEditRelease_2, ui->lineEditDelay_2,
                           ui->LeftButton_2, ui->RightButton_2, ui->MidButton_2}) {
        const QString N = b->objectName();
        b->setStyleSheet("#" + N + "{background-image: url(" + F + "add_btn_nr.png"
                         + ");border:0px;background-position:center;background-repeat:no-repeat;}#" + N
                         + ":hover{background-image: url(" + F + "add_btn_ov.png" + "); }");
    }
    // The rows are drawn like the device page's editor rows, whose light
    // pictures need the darker row face.
    ui->listWidgetHong->setStyleSheet(macroListStyle(ui->listWidgetHong->objectName(), 30));
    ui->listWidgetKey->setStyleSheet(macroListStyle(ui->listWidgetKey->objectName(), 30));
    if (m_macroEventsChanged || m_macroSettingsChanged)
        showSaveButton();
}

void Macro::showSaveButton()
{
    ui->Save->setVisible(true);
    ui->Save->setStyleSheet(saveButtonStyle(m_pictureDir, m_buttonColor));
}

// ---- Keys, mouse and the name field ------------------------------------------------

bool Macro::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->MacroName) {
        if (event->type() == QEvent::KeyPress
            && refusedNameKeys().contains(static_cast<QKeyEvent *>(event)->text()))
            return true;
        if (event->type() == QEvent::InputMethod
            && refusedNameCommits().contains(static_cast<QInputMethodEvent *>(event)->commitString()))
            return true;
    } else if (watched == ui->lineEditPress || watched == ui->lineEditRelease) {
        if (event->type() == QEvent::FocusIn)
            SlotFocusIn(watched == ui->lineEditPress ? 0 : 1);
        else if (event->type() == QEvent::FocusOut)
            SlotFocusOut();
    }
    return QWidget::eventFilter(watched, event);
}

void Macro::mousePressEvent(QMouseEvent *event)
{
    // The repeat count keeps the focus only while the press lands on it.
    const QRect countBox(ui->NumberEdit->mapTo(this, QPoint(0, 0)), ui->NumberEdit->size());
    if (!countBox.contains(event->pos())) {
        ui->NumberEdit->clearFocus();
        setFocus(Qt::OtherFocusReason);
    }
}

void Macro::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_F12:
        return;
    case Qt::Key_Shift:
        ui->MacroName->setReadOnly(true);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void Macro::keyReleaseEvent(QKeyEvent *event)
{
    qCDebug(lcDiagnostics) << event->key();
    if (event->key() == Qt::Key_Shift) {
        ui->MacroName->setReadOnly(false);
        ui->MacroName->setFocus(Qt::OtherFocusReason);
    }
}

void Macro::changeEvent(QEvent *event)
{
    Q_UNUSED(event);
}

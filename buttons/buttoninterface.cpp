#include "buttoninterface.h"
#include "ui_Buttoninterface.h"

#include "afterfirstpaint.h"
#include "configsettings.h"
#include "devicesearch.h"
#include "deviceevent.h"
#include "devicestate.h"
#include "devicewatch.h"
#include "globals.h"
#include "imagecache.h"
#include "keyboardhook.h"
#include "macroeditorshared.h"
#include "popupmenu.h"
#include "postmsg.h"
#include "sensorcodes.h"
#include "updaterepair.h"
#include "worker.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QTextStream>

#include <cstring>

int g_menuButtonIndex = 0;

namespace {

// Device button of each widget, ButtonA..ButtonF.
constexpr int kDeviceButtonOfWidget[Buttoninterface::kButtonCount] = {0, 1, 2, 4, 3, 5};

// Language position of each widget's default function: left, right,
// middle, forward, back, DPI cycle.
constexpr int kDefaultLabelText[Buttoninterface::kButtonCount] = {4, 5, 6, 7, 8, 9};

// Where an action of the function menu goes.
enum class MenuPlace { Main, Dpi, Media, Wheel, FixedDpi };

struct FunctionEntry {
    const char *slotName;   // also the action's object name
    void (Buttoninterface::*slot)();
    const char *initialText;   // null: the action starts without text
    int languagePosition;      // Buttoninterface text; -1 keeps the initial text
    MenuPlace place;
};

// In the order of Buttoninterface::Function; the menus show their actions
// in this order.
const FunctionEntry kFunctions[Buttoninterface::FunctionCount] = {
    {"slotLeftKey", &Buttoninterface::slotLeftKey, nullptr, 4, MenuPlace::Main},
    {"slotRightKey", &Buttoninterface::slotRightKey, "Right click", 5, MenuPlace::Main},
    {"slotWheelKey", &Buttoninterface::slotWheelKey, "Wheel click", 6, MenuPlace::Main},
    {"slotForwardKey", &Buttoninterface::slotForwardKey, "Forward", 7, MenuPlace::Main},
    {"slotBackKey", &Buttoninterface::slotBackKey, "Back", 8, MenuPlace::Main},
    {"slotPollingRateKey", &Buttoninterface::slotPollingRateKey, "Polling rate switch", 10, MenuPlace::Main},
    {"slotProfileSwitchKey", &Buttoninterface::slotProfileSwitchKey, "Fire Key", 18, MenuPlace::Main},
    {"slotKeyCombinationKey", &Buttoninterface::slotKeyCombinationKey, "Key combination", 13, MenuPlace::Main},
    {"slotDisableKey", &Buttoninterface::slotDisableKey, "Disable", 14, MenuPlace::Main},
    {"slotMacroMenu", &Buttoninterface::slotMacroMenu, "Macro", 17, MenuPlace::Main},
    {"slotDPIUpKey", &Buttoninterface::slotDPIUpKey, "   DPI+", -1, MenuPlace::Dpi},
    {"slotDPIDownKey", &Buttoninterface::slotDPIDownKey, "   DPI-", -1, MenuPlace::Dpi},
    {"slotDPILoopKey", &Buttoninterface::slotDPILoopKey, "    DPILoop+", 9, MenuPlace::Dpi},
    {"slotMediaPlayerKey", &Buttoninterface::slotMediaPlayerKey, "Media Player", 22, MenuPlace::Media},
    {"slotPlayPauseKey", &Buttoninterface::slotPlayPauseKey, "Play/Pause", 23, MenuPlace::Media},
    {"slotNextKey", &Buttoninterface::slotNextKey, "Next", 24, MenuPlace::Media},
    {"slotMuteKey", &Buttoninterface::slotMuteKey, "Mute", 27, MenuPlace::Media},
    {"slotPreviousKey", &Buttoninterface::slotPreviousKey, "Previous", 25, MenuPlace::Media},
    {"slotStopplayKey", &Buttoninterface::slotStopplayKey, "Stop play", 26, MenuPlace::Media},
    {"slotVoulumeupKey", &Buttoninterface::slotVoulumeupKey, "Volume up", 28, MenuPlace::Media},
    {"slotVoulumedownKey", &Buttoninterface::slotVoulumedownKey, "Volume down", 29, MenuPlace::Media},
    {"slotEmailKey", &Buttoninterface::slotEmailKey, "Email", 30, MenuPlace::Media},
    {"slotCalculatorKey", &Buttoninterface::slotCalculatorKey, "Calculator", 31, MenuPlace::Media},
    {"slotMycomputerKey", &Buttoninterface::slotMycomputerKey, "My computer", 32, MenuPlace::Media},
    {"slotHomePageKey", &Buttoninterface::slotHomePageKey, "Home page", 51, MenuPlace::Media},
    {"slotSearchKey", &Buttoninterface::slotSearchKey, "Search", 33, MenuPlace::Media},
    {"slotStopWebKey", &Buttoninterface::slotStopWebKey, "Stop web", 36, MenuPlace::Media},
    {"slotRefreshKey", &Buttoninterface::slotRefreshKey, "Refresh", 37, MenuPlace::Media},
    {"slotFavoritesKey", &Buttoninterface::slotFavoritesKey, "Favorites", 38, MenuPlace::Media},
    {"slotKeyWheelUp", &Buttoninterface::slotKeyWheelUp, "Wheel Up", 15, MenuPlace::Wheel},
    {"slotKeyWheelDown", &Buttoninterface::slotKeyWheelDown, "Wheel Down", 16, MenuPlace::Wheel},
    {"slotKey100", &Buttoninterface::slotKey100, "   100", -1, MenuPlace::FixedDpi},
    {"slotKey200", &Buttoninterface::slotKey200, "   200", -1, MenuPlace::FixedDpi},
    {"slotKey300", &Buttoninterface::slotKey300, "   300", -1, MenuPlace::FixedDpi},
    {"slotKey400", &Buttoninterface::slotKey400, "   400", -1, MenuPlace::FixedDpi},
    {"slotKey500", &Buttoninterface::slotKey500, "   500", -1, MenuPlace::FixedDpi},
    {"slotKey600", &Buttoninterface::slotKey600, "   600", -1, MenuPlace::FixedDpi},
    {"slotKey700", &Buttoninterface::slotKey700, "   700", -1, MenuPlace::FixedDpi},
    {"slotKey800", &Buttoninterface::slotKey800, "   800", -1, MenuPlace::FixedDpi},
    {"slotKey900", &Buttoninterface::slotKey900, "   900", -1, MenuPlace::FixedDpi},
    {"slotKey1000", &Buttoninterface::slotKey1000, "  1000", -1, MenuPlace::FixedDpi},
    {"slotKey1100", &Buttoninterface::slotKey1100, "  1100", -1, MenuPlace::FixedDpi},
    {"slotKey1200", &Buttoninterface::slotKey1200, "  1200", -1, MenuPlace::FixedDpi},
};

// Language positions of the submenu titles.
constexpr int kWheelMenuTitle = 0;
constexpr int kDpiMenuTitle = 19;
constexpr int kMediaMenuTitle = 20;
constexpr int kFixedDpiMenuTitle = 21;
constexpr int kMacroLabelPrefix = 48;
constexpr int kProfileLabelPrefix = 49;

const char kSubMenuStyle[] =
    "QMenu{ color:rgb(0,0,0); background-color:rgb(255,255,255);border: 1px solid #ffffff;border-radius:5px;}"
    "QMenu::item:selected{ color:rgb(0,0,0);background-color:rgb(255,255,0);}QMenu::indicator{image:none;}"
    "QMenu::item{ width:175px; height:32px;font-size:13px;border-radius:5px;padding-left:10px;border:0px}";
const char kListViewStyle[] =
    "QListView::item:selected{background-color: rgb(255,255,0);}QListView::item:hover{background-color: "
    "rgb(255,255,0);}";
const char kProjectChooseStyle[] =
    "QComboBox{border: 0px; text-align:left;padding-left:3px;color: rgb(255,255,255); background-color: "
    "transparent;}QComboBox::drop-down { subcontrol-origin:padding;width: 0px;height: 0px;image: none;}QComboBox "
    "QAbstractItemView::item{height:30px;   color: #000000;}QComboBox QAbstractItemView {font-weight: "
    "bold;font-size: 12px;outline: 0px solid gray;border: 1px  solid  rgb(198,209,216); border-radius:5px;color: "
    "rgb(0,0,0); background-color: url(255,255,255);selection-background-color: rgb(0,0,0); }QComboBox "
    "QAbstractItemView::item:hover {   color: #000000;}QComboBox:disabled{color: rgb(0, 0, 0);}";
const char kSpinBoxButtonStyle[] = "QSpinBox{background-color: transparent;color: rgb(255,255,255);border: 0px  solid gray;}";
const char kMacroSpinBoxStyle[] =
    "QSpinBox{background-color: rgb(0,0,0);color: rgb(255,255,255);border: 1px solid  rgb(255,255,255);}"
    "QSpinBox:hover{border: 1px solid  rgb(255,255,0);}";

// The label and item texts of a language that the page reads.
QString buttonText(int index, int position)
{
    return langText(g_langButtoninterface, index, position);
}

QString macroText(int index, int position)
{
    return langText(g_langMacro, index, position);
}

// A tool button's picture style with a text in the button colour; used by
// the reset, option and pairing buttons.
QString pictureButtonStyle(const QString &color, const QString &picture, const QString &checkedPicture = QString())
{
    QString style = "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb("
                    + color + ";); text-align:left;padding-left:-35px;border-image: url(" + picture + ");}";
    if (!checkedPicture.isEmpty())
        style += " QToolButton:checked {border-image: url(" + checkedPicture + "); }";
    return style;
}

// The check box style of the macro editor's delay and repeat modes.
QString macroCheckBoxStyle(const char *head, const QString &color, const QString &dir)
{
    return QString::fromLatin1(head) + color + ";);}QCheckBox:indicator::checked {image: url(" + dir
           + "CheckBoxCheck.png" + ");}QCheckBox::indicator::unchecked {image: url(" + dir + "CheckBox.png" + ");}";
}

// A new popup view for a combo box: the box owns it and deletes the old one.
void giveListView(QComboBox *box)
{
    auto *view = new QListView(box);
    view->setStyleSheet(QString::fromLatin1(kListViewStyle));
    box->setView(view);
}

} // namespace

Buttoninterface::Buttoninterface(QWidget *parent)
    : QWidget(parent), ui(new Ui::Buttoninterface), m_recordKeys(new RecordingKeyStop(this))
{
    std::memset(&m_shownImage, 0, sizeof m_shownImage);
    registerDeviceMetaTypes();
    ui->setupUi(this);
    // The page's containers stay invisible: their panel lines would run
    // across the page's picture and the labels drawn on it (the macro
    // editor's container lies over the ButtonF label).
    for (QFrame *frame : {ui->MainWindow, ui->MacroPage, static_cast<QFrame *>(ui->frameDpi),
                          static_cast<QFrame *>(ui->frameRate), static_cast<QFrame *>(ui->frameLOD),
                          static_cast<QFrame *>(ui->frame), static_cast<QFrame *>(ui->frame_4),
                          static_cast<QFrame *>(ui->frameLOD_2)})
        frame->setFrameShape(QFrame::NoFrame);

    // Installed only while the macro editor takes keys or records.
    m_keyboardHook = new KeyboardHook;

    m_sensorPageDir = userDataDir() + "/usersetting/SensorPage";
    if (!QDir(m_sensorPageDir).exists())
        QDir().mkpath(m_sensorPageDir);
    readLevelFile();
    m_macroPictureDir = programDir() + "/Picture/Macro/";
    m_macroDir = userDataDir() + "/usersetting/MacroPage";

    PostMsg *hub = PostMsg::instance();
    connect(hub, &PostMsg::SigButtonToMacro, this, &Buttoninterface::SlotButtonToMacro);
    connect(hub, &PostMsg::SigMacroDownLoadData, this, &Buttoninterface::SlotMacroDownLoadData);
    connect(hub, &PostMsg::SigSetStyle, this, &Buttoninterface::SlotSetStyle);
    connect(hub, &PostMsg::SigSetMacroPage, this, &Buttoninterface::SlotSetMacroPage);
    connect(hub, &PostMsg::SigDeleteMacro, this, &Buttoninterface::SlotDeleteItemMacro);
    connect(hub, &PostMsg::SigRenameMacro, this, &Buttoninterface::SlotRenameItemMacro);
    connect(hub, &PostMsg::SigDeletKey, this, &Buttoninterface::SlotDeleteItemKey);
    connect(hub, &PostMsg::SigRenameKey, this, &Buttoninterface::SlotRenameItemKey);
    connect(hub, &PostMsg::SigFocusIn, this, &Buttoninterface::SlotFocusIn);
    connect(hub, &PostMsg::SigFocusOut, this, &Buttoninterface::SlotFocusOut);
    connect(hub, &PostMsg::SigExport, this, &Buttoninterface::ExPortMacro);
    connect(hub, &PostMsg::SigUpDataReportRate, this, &Buttoninterface::SlotUpDataReportRate,
            Qt::BlockingQueuedConnection);
    connect(hub, &PostMsg::SigUpDataDPI, this, &Buttoninterface::SlotUpDataDPI, Qt::BlockingQueuedConnection);
    connect(hub, &PostMsg::SigBattery, this, &Buttoninterface::SlotBattery, Qt::BlockingQueuedConnection);

    LoadMacroList(QStringLiteral("ListMain"));

    m_repeatModeGroup = new QButtonGroup(this);
    m_repeatModeGroup->setExclusive(true);
    for (QCheckBox *box : {ui->ReUntilLoose, ui->ReUntilClick, ui->ReNumber, ui->ReUntilClick_2})
        m_repeatModeGroup->addButton(box);
    m_delayModeGroup = new QButtonGroup(this);
    m_delayModeGroup->setExclusive(true);
    m_delayModeGroup->addButton(ui->AutoInsertDelay);
    m_delayModeGroup->addButton(ui->DefaultDelay);
    ui->StartRecord->setFocusPolicy(Qt::NoFocus);
    ui->StopRecord->hide();
    ui->AutoInsertDelay->setChecked(true);

    m_buttonColor = rgbTriple(ConfigSettings::instance()->readStringList("Option", "ButtonColor"), QString());
    connect(m_repeatModeGroup, &QButtonGroup::idToggled, m_repeatModeGroup,
            [this](int, bool) { RepeatModeChanged(); });
    ui->Save->hide();
    connect(hub, &PostMsg::SigAllLanguage, this, &Buttoninterface::SlotAllLanguage);

    ui->NewHong->setStyleSheet(
        "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(" + m_buttonColor
        + ";);border-image: url(" + m_macroPictureDir + "NewMacro.png" + ");}QToolButton:hover{border-image: url("
        + m_macroPictureDir + "NewMacroHover.png" + "); }");
    // Never shown, so built once the window is up: its form and the fonts
    // its text needs would delay the first paint. It still connects to the
    // repair signals before the settings page's dialog, which is built
    // after it (works after the first paint run in the order asked for).
    runAfterFirstPaint(window(), this, [this] {
        m_updateRepair = new UpDateRepair(nullptr);
        m_updateRepair->hide();
    });
    connect(hub, &PostMsg::SigMouseIndex, this, &Buttoninterface::SlotMouseIndex);

    m_buttonPictureDir = programDir() + "/Picture/Buttoninterface/";
    m_mainPageDir = userDataDir() + "//usersetting/MainPage";
    if (!QDir(m_mainPageDir).exists())
        QDir().mkpath(m_mainPageDir);

    styleConstructorWidgets();

    loadSensorDefines();

    connect(hub, &PostMsg::SigUpDataLightUIButton, this, &Buttoninterface::SlotUpDataButtonUIButton,
            Qt::BlockingQueuedConnection);
    connect(hub, &PostMsg::SigUpDataConfigUI, this, &Buttoninterface::SlotUpDataConfigUI,
            Qt::BlockingQueuedConnection);
    connect(hub, &PostMsg::SigUpDataButtonUIC, this, &Buttoninterface::SlotUpDataButtonUIB);
    connect(hub, &PostMsg::SigAddMacroButton, this, &Buttoninterface::SlotAddMacroButton);
    connect(hub, &PostMsg::SigDeleteMacroButton, this, &Buttoninterface::SlotDeleteMacroButton);
    connect(hub, &PostMsg::SigUpDataMacro, this, &Buttoninterface::SlotUpDataMacro);
    connect(hub, &PostMsg::SigMacroRename, this, &Buttoninterface::SlotMacroRename);
    connect(hub, &PostMsg::SigFormReset, this, &Buttoninterface::SlotFormResetButton, Qt::BlockingQueuedConnection);

    g_worker = new Worker(this);

    buildFunctionMenu();
    const QString buttonStyle =
        "QPushButton::menu-indicator {image: none;}QPushButton{border:0px;background-position:center;color: rgb("
        + m_buttonColor
        + ";);background-repeat:no-repeat;background-image: transparent;text-align : left;padding-left:-10px;}";
    for (QPushButton *button : {ui->ButtonA, ui->ButtonB, ui->ButtonC, ui->ButtonD, ui->ButtonF, ui->ButtonE}) {
        button->setMenu(m_functionMenu);
        button->setStyleSheet(buttonStyle);
    }
}

Buttoninterface::~Buttoninterface()
{
    Worker::clearReadPending();
    // The worker's run() may be held in a blocking emit towards this page;
    // waiting for it while that emit waits for us would never end.
    releaseDeviceThreads();
    if (Worker *worker = g_worker) {
        g_worker = nullptr;
        // Delete the thread object only once its thread has ended; a thread
        // still busy after the bound ends later and then deletes itself.
        constexpr int kWorkerFinishWaitMs = 2000;
        if (worker->wait(kWorkerFinishWaitMs))
            worker->deleteLater();
        else
            connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    }
    stopWatchingDeviceChanges();
    // No key may reach a page that is gone.
    m_keyboardHook->RemoveKeyboardHook();
    g_keyHookCallback = nullptr;
    delete m_keyboardHook;
    delete ui;
    // Made without a parent, so nothing else deletes it.
    delete m_updateRepair;
}

void Buttoninterface::releaseDeviceThreads()
{
    disconnect(PostMsg::instance(), nullptr, this, nullptr);
    // A blocking-queued call releases its sender when the call is dropped.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
}

// ---- Button widgets and device buttons ------------------------------------

int Buttoninterface::deviceButtonIndex(int menuIndex)
{
    if (menuIndex < 0 || menuIndex >= kButtonCount)
        return -1;
    return kDeviceButtonOfWidget[menuIndex];
}

int Buttoninterface::menuIndexOfDevice(int deviceButton)
{
    for (int i = 0; i < kButtonCount; ++i) {
        if (kDeviceButtonOfWidget[i] == deviceButton)
            return i;
    }
    return -1;
}

QPushButton *Buttoninterface::buttonWidget(int menuIndex) const
{
    QPushButton *const widgets[kButtonCount] = {ui->ButtonA, ui->ButtonB, ui->ButtonC,
                                                ui->ButtonD, ui->ButtonE, ui->ButtonF};
    if (menuIndex < 0 || menuIndex >= kButtonCount)
        return nullptr;
    return widgets[menuIndex];
}

QPushButton *Buttoninterface::buttonForDevice(int deviceButton) const
{
    return buttonWidget(menuIndexOfDevice(deviceButton));
}

int Buttoninterface::loadButtonFunctions(const FlashDataMap &image)
{
    // The image holds 16 button functions; a larger KeyNumber must not
    // read past them.
    const int buttons = qBound(0, ConfigSettings::instance()->readString(selectedDriveGroup(), "KeyNumber").toInt(), 16);
    m_buttonTypes.clear();
    m_buttonCodes.clear();
    m_buttonParams.clear();
    for (int k = 0; k < buttons; ++k) {
        m_buttonTypes.append(image.buttonFunctions[k].type);
        m_buttonCodes.append(image.buttonFunctions[k].code);
        m_buttonParams.append(image.buttonFunctions[k].param);
    }
    return buttons;
}

void Buttoninterface::onAbouttoshow()
{
    // A push button is down while its menu shows: that button opened the
    // menu, whether by mouse or keyboard. The cursor decides only when no
    // button is down.
    for (int i = 0; i < kButtonCount; ++i) {
        if (buttonWidget(i)->isDown()) {
            g_menuButtonIndex = i;
            return;
        }
    }
    const QPoint cursor = mapFromGlobal(QCursor::pos());
    for (int i = 0; i < kButtonCount; ++i) {
        if (buttonWidget(i)->geometry().contains(cursor)) {
            g_menuButtonIndex = i;
            return;
        }
    }
}

// ---- Construction ---------------------------------------------------------

void Buttoninterface::readLevelFile()
{
    int levels = 1;
    QFile file(m_sensorPageDir + "/Level.ini");
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString line = QTextStream(&file).readLine().trimmed();
        if (!line.isEmpty())
            levels = line.toInt();
    }
    ui->frameDpi->setStepB(levels);
}

void Buttoninterface::styleConstructorWidgets()
{
    const QString &P = m_buttonPictureDir;
    ui->ProjectChoose->setStyleSheet(QString::fromLatin1(kProjectChooseStyle));
    giveListView(ui->ProjectChoose);

    ui->pushButton->setStyleSheet("QPushButton{border-image: url(" + P + "check_nr.png" + ");}");
    ui->toolButton->setStyleSheet("QToolButton{border-image: url(" + P + "check_nr.png"
                                  + ");}QToolButton::checked{border-image: url(" + P + "check_dn.png" + ");}");
    ui->label_13->setStyleSheet("QLabel{border-image: url(" + P + "Tips.png" + ");}");
    ui->toolButton->hide();
    ui->pushButton->setForbidden(true);

    const QString labelColor = rgbTriple(ConfigSettings::instance()->readStringList("Option", "LabelColor"), QString());
    ui->frame_3->setStyleSheet("#frame_3{background-position:center;background-repeat:no-repeat;border-image: url(" + P
                               + "Frame.png" + ");}");
    ui->spinBoxButton->setStyleSheet(QString::fromLatin1(kSpinBoxButtonStyle));
    // Only the plus and minus buttons send the debounce time: a typed
    // value would show a time the device never got.
    ui->spinBoxButton->setReadOnly(true);
    ui->label_2->setStyleSheet("#label_2{color: rgb(" + labelColor + ";);}");
    ui->label->hide();
    ui->label->setStyleSheet("#label{border-image: url(" + P + "Charg.png" + ");}");
    ui->ReduceLevelCC->setStyleSheet("#ReduceLevelCC{background-image: url(" + P + "Reduce.png"
                                     + ");border:0px;background-position:center;background-repeat:no-repeat;}");
    ui->AddLevelCC->setStyleSheet("#AddLevelCC{background-image: url(" + P + "Add.png"
                                  + ");border:0px;background-position:center;background-repeat:no-repeat;}");
    ui->Reset->setStyleSheet(pictureButtonStyle(m_buttonColor, P + "restore_nr.png"));
    ui->Reset_4->setStyleSheet(pictureButtonStyle(m_buttonColor, P + "P1.png", P + "P1H.png"));
    ui->Reset_3->setStyleSheet(pictureButtonStyle(m_buttonColor, P + "P2.png", P + "P2H.png"));
    ui->Reset_2->setStyleSheet(pictureButtonStyle(m_buttonColor, P + "Pair.png"));
}

void Buttoninterface::buildFunctionMenu()
{
    m_dpiMenu = new PopupMenu(this);
    m_mediaMenu = new PopupMenu(this);
    m_wheelMenu = new PopupMenu(this);
    m_fixedDpiMenu = new PopupMenu(this);
    m_functionMenu = new QMenu(this);
    m_functionMenu->setWindowFlags(m_functionMenu->windowFlags() | Qt::FramelessWindowHint);
    m_functionMenu->setAttribute(Qt::WA_TranslucentBackground);

    QMenu *const menus[] = {m_functionMenu, m_dpiMenu, m_mediaMenu, m_wheelMenu, m_fixedDpiMenu};
    m_functionActions.clear();
    for (const FunctionEntry &entry : kFunctions) {
        auto *action = new QAction(this);
        action->setObjectName(QString::fromLatin1(entry.slotName));
        if (entry.initialText)
            action->setText(QString::fromLatin1(entry.initialText));
        connect(action, &QAction::triggered, this, entry.slot);
        menus[int(entry.place)]->addAction(action);
        m_functionActions.append(action);
    }
    m_leftClickAction = m_functionActions.at(FnLeftKey);

    // One look for the four submenus: black text, on yellow where hovered.
    for (PopupMenu *menu : {m_dpiMenu, m_mediaMenu, m_wheelMenu, m_fixedDpiMenu})
        menu->setStyleSheet(QString::fromLatin1(kSubMenuStyle));
    // The fixed DPI values come last, after the wheel: every button can be
    // given a fixed DPI.
    for (PopupMenu *menu : {m_dpiMenu, m_mediaMenu, m_wheelMenu, m_fixedDpiMenu})
        m_functionMenu->addMenu(menu);
    m_functionMenu->setStyleSheet(
        "QMenu{ color:rgb(0,0,0); background-color:rgb(255,255,255);border: 1px solid "
        "#ffffff;border-radius:5px;}QMenu::item:selected{color:rgb(0,0,0);background-color:rgb(255,255,0);}"
        "QMenu::indicator{image:none;}QMenu::item{ width:176px; height:32px;font-size:13px;border-radius:5px;"
        "padding-left:10px;}QMenu::right-arrow{height:24px;width:43px;background-image: url("
        + m_buttonPictureDir + "menusub_nr.png"
        + "); }QMenu::right-arrow:selected{height:24px;width:43px;background-image: url(" + m_buttonPictureDir
        + "menusub_ov.png" + ");background-color:rgb(255,255,0);}QMenu::icon{width:30px;height:30px; }");
    connect(m_functionMenu, &QMenu::aboutToShow, this, &Buttoninterface::onAbouttoshow);
}

// ---- Texts ------------------------------------------------------------------

void Buttoninterface::SlotAllLanguage(int index)
{
    ui->label_13->setToolTip(langText(g_langDialogChange, index, 9));
    for (int option = 0; option < 6; ++option)
        ui->frameLOD_2->setItemText(option, langText(g_langLight, index, 12 + option));
    ui->frameLOD_2->setItemText(6, langText(g_langFormSetting, index, 40));

    const auto sensor = [index](int position) { return langText(g_langSensor, index, position); };
    ui->frame->setText(sensor(6));
    ui->frame->setSecondText(sensor(26));
    ui->frameLOD->setText(sensor(4));
    ui->frameLOD->setSecondText(sensor(22));
    ui->frame_4->setText(sensor(7));
    ui->frame_4->setSecondText(sensor(25));
    ui->frameRate->setText(sensor(1));
    ui->frameDpi->setTexts(sensor(0), sensor(16));

    ui->NewHong->setText(macroText(index, 2));
    ui->label_5->setText(macroText(index, 14));
    ui->label_6->setText(macroText(index, 8));
    ui->label_8->setText(buttonText(index, 1));
    ui->label_14->setText(buttonText(index, 43));
    ui->label_9->setText(langText(g_langFormSetting, index, 6));
    // The performance switch's caption tells its state, as the refresh shows
    // it; the plain title would lose the state until the next refresh.
    ui->label_10->setText(langText(g_langLight, index, ui->Reset_4->isChecked() ? 4 : 3));
    ui->label_11->setText(sensor(24));

    const QString blanks = QStringLiteral("   ");
    for (int f = 0; f < FunctionCount; ++f) {
        if (kFunctions[f].languagePosition >= 0)
            m_functionActions.at(f)->setText(blanks + buttonText(index, kFunctions[f].languagePosition));
    }
    m_wheelMenu->setTitle(blanks + buttonText(index, kWheelMenuTitle));
    m_dpiMenu->setTitle(blanks + buttonText(index, kDpiMenuTitle));
    m_mediaMenu->setTitle(blanks + buttonText(index, kMediaMenuTitle));
    m_fixedDpiMenu->setTitle(blanks + buttonText(index, kFixedDpiMenuTitle));

    for (int i = 0; i < kButtonCount; ++i)
        buttonWidget(i)->setText(QStringLiteral("        ") + buttonText(index, kDefaultLabelText[i]));
    m_macroLabelPrefix = buttonText(index, kMacroLabelPrefix);
    m_profileLabelPrefix = buttonText(index, kProfileLabelPrefix);

    // Labels and profile names come from the selected device's cached
    // image; the live image is newer while the device answers, also for a
    // device that has no cache file yet.
    FlashDataMap image;
    const bool cached = loadDeviceInfo(g_deviceCachePath, &image);
    if (g_deviceOnline)
        image = g_flashDataMap;
    if (cached || g_deviceOnline) {
        const int buttons = loadButtonFunctions(image);
        for (int k = 0; k < buttons; ++k)
            RenderButtonLabels(k, m_buttonTypes.at(k), m_buttonCodes.at(k), m_buttonParams.at(k), image);
        rebuildProfileItems();
    }

    setMacroEditorTexts(index);
}

void Buttoninterface::rebuildProfileItems()
{
    const int count = ui->ProjectChoose->count();
    const int selected = ui->ProjectChoose->currentIndex();
    const bool blocked = ui->ProjectChoose->blockSignals(true);
    ui->ProjectChoose->clear();
    for (int i = 0; i < count; ++i)
        ui->ProjectChoose->insertItem(i, "    " + m_profileLabelPrefix + QString::number(i + 1));
    ui->ProjectChoose->setCurrentIndex(selected);
    ui->ProjectChoose->blockSignals(blocked);
}

void Buttoninterface::setMacroEditorTexts(int index)
{
    ui->StartRecord->setText(macroText(index, 6));
    ui->StopRecord->setText(macroText(index, 7));
    ui->label_4->setText(macroText(index, 0));
    ui->label_7->setText(buttonText(index, 17).trimmed());
    ui->ReUntilLoose->setText(macroText(index, 10));
    ui->ReUntilClick->setText(macroText(index, 11));
    ui->ReUntilClick_2->setText(macroText(index, 12));
    ui->DelayEnter_2->setText(macroText(index, 25));
    ui->KeyUp->setText(macroText(index, 26));
    ui->Keydown->setText(macroText(index, 27));
    ui->KeyUp_2->setText(macroText(index, 16));
    ui->Keydown_2->setText(macroText(index, 15));
    ui->ReNumber->setText(macroText(index, 13));
    ui->label_3->setText(macroText(index, 1));
    ui->ChooseEvent->setItemText(1, macroText(index, 15));
    ui->ChooseEvent->setItemText(2, macroText(index, 16));
    ui->DelayEnter->setText(macroText(index, 17));

    // The event chooser names the mouse buttons as the key tables do.
    g_mouseButtonName1 = buttonText(index, 4);
    g_mouseButtonName2 = buttonText(index, 5);
    g_mouseButtonName4 = buttonText(index, 6);
    g_mouseButtonName16 = buttonText(index, 7);
    g_mouseButtonName8 = buttonText(index, 8);
    ui->LeftButton->setText(g_mouseButtonName1);
    ui->RightButton->setText(g_mouseButtonName2);
    ui->MidButton->setText(g_mouseButtonName4);
    const QString names[] = {g_mouseButtonName1, g_mouseButtonName2, g_mouseButtonName4, g_mouseButtonName16,
                             g_mouseButtonName8};
    for (int i = 0; i < 5; ++i)
        ui->ChooseEvent->setItemText(3 + i, names[i]);
    nameMouseEventRows(ui->listWidgetKey, buttonPageMouseNames());

    ui->Save->setText(macroText(index, 18));
    m_macroDeletedPrefix = macroText(index, 19);
    m_exportMacroText = macroText(index, 20);
    m_renameMacroText = macroText(index, 21);
    m_deleteMacroText = macroText(index, 22);
    m_newMacroText = macroText(index, 23);
    m_importMacroText = macroText(index, 24);
}

// ---- Styles ---------------------------------------------------------------

void Buttoninterface::SlotSetStyle(int index)
{
    Q_UNUSED(index);
    m_buttonColor = themeRgbTriple(g_themeButtonColor);
    m_buttonPictureDir = programDir() + "/Picture/Buttoninterface/";
    const QString &M = m_macroPictureDir;
    const QString label = themeRgbTriple(g_themeLabelColor);

    // The box takes the theme's combo background, as the other lists do: its
    // text colour is the theme's, which is dark on the light pages.
    const QString comboBack = themeRgbTriple(g_themeComboxBackGroundColor);
    ui->ChooseEvent->setStyleSheet(
        "QComboBox{border: 1px solid rgb(198,209,216); color: rgb(" + themeRgbTriple(g_themeComboxTextColor)
        + ");   border-radius: 4px;   background-color: rgb(" + comboBack
        + ");}QComboBox::drop-down:button{border-radius:5px; background:rgb(" + comboBack
        + ");} QComboBox::down-arrow{image: url("
        + M + "Menu.png" + "); right: 8px; }QComboBox::down-arrow:on{ image: url(" + M + "MenuClicked.png"
        + ");}QComboBox QAbstractItemView::item{font-size:5px;height:25px;}QComboBox QAbstractItemView {outline: "
          "0px solid gray; border: 1px  solid gray; }QComboBox QAbstractItemView::item:hover {   color: #000000;}");
    ui->ChooseEvent->setMaxVisibleItems(5);
    giveListView(ui->ChooseEvent);

    ui->Save->setStyleSheet("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb("
                            + m_buttonColor + ";);background-image: url(" + M + "Button.png" + ");}");
    const QString labelStyle = "QLabel{color: rgb(" + label + ";);}";
    for (QLabel *l : {ui->label_5, ui->label_12, ui->label_3, ui->label_4, ui->label_8, ui->label_9, ui->label_14,
                      ui->label_10, ui->label_11, ui->label_6, ui->label_7, ui->Keydown, ui->KeyUp, ui->DelayEnter,
                      ui->LeftButton, ui->RightButton, ui->MidButton})
        l->setStyleSheet(labelStyle);
    for (QCheckBox *box : {ui->AutoInsertDelay, ui->DefaultDelay, ui->ReUntilLoose, ui->ReUntilClick,
                           ui->ReUntilClick_2, ui->ReNumber})
        box->setStyleSheet(macroCheckBoxStyle("QCheckBox{color: rgb(", label, M));
    ui->StopRecord->setStyleSheet(
        "QPushButton{border:0px;background-position:center;background-repeat:no-repeat;text-align: center;color: rgb("
        + m_buttonColor + ";);background-image: url(" + M + "RECORD_dn.png"
        + ");}QPushButton:hover{background-image: url(" + M + "RECORD_hover.png" + "); }");
    ui->StartRecord->setStyleSheet(
        "QPushButton{border:0px;text-align: center;background-position:center;background-repeat:no-repeat;color: rgb("
        + m_buttonColor + ";);background-image: url(" + M + "RECORD_nr.png"
        + ");}QPushButton:hover{background-image: url(" + M + "RECORD_ov.png" + "); }");
    const QString hintStyle = "QLabel{color: rgb(" + themeRgbTriple(g_themeDPISpinBoxborder) + ";);}";
    for (QLabel *l : {ui->Keydown_2, ui->KeyUp_2, ui->DelayEnter_2})
        l->setStyleSheet(hintStyle);
    ui->NumberEdit->setStyleSheet(QString::fromLatin1(kMacroSpinBoxStyle));
    ui->lineEditDelay->setStyleSheet(QString::fromLatin1(kMacroSpinBoxStyle));
    for (QPushButton *b : {ui->lineEditPress_2, ui->lineEditRelease_2, ui->lineEditDelay_2, ui->LeftButton_2,
                           ui->RightButton_2, ui->MidButton_2}) {
        const QString N = b->objectName();
        b->setStyleSheet("#" + N + "{background-image: url(" + M + "add_btn_nr.png"
                         + ");border:0px;background-position:center;background-repeat:no-repeat;}#" + N
                         + ":hover{background-image: url(" + M + "add_btn_ov.png" + "); }");
    }
    const QString lineEditStyle = "QLineEdit{background-color: rgb(" + themeRgbTriple(g_themeButtonSpinBoxColor)
                                  + ");color: rgb(" + themeRgbTriple(g_themeLinEditColorSecond)
                                  + ";);border: 1px solid  rgb(" + themeRgbTriple(g_themeDPISpinBoxborder)
                                  + ";);}QLineEdit:hover{border: 1px solid  rgb("
                                  + themeRgbTriple(g_themeDPISpinBoxborderA) + ";);}";
    ui->lineEditPress->setStyleSheet(lineEditStyle);
    ui->lineEditRelease->setStyleSheet(lineEditStyle);
    const struct {
        QListWidget *list;
        int itemHeight;
    } lists[] = {{ui->listWidgetHong, 32}, {ui->listWidgetKey, 34}};
    for (const auto &l : lists)
        l.list->setStyleSheet(macroListStyle(l.list->objectName(), l.itemHeight));
}

void Buttoninterface::RepeatModeChanged()
{
    m_macroSettingsChanged = true;
    showSaveButton();
}

// ---- Events -----------------------------------------------------------------

void Buttoninterface::mousePressEvent(QMouseEvent *e)
{
    // The repeat count keeps the focus only while the press lands on it.
    const QRect countBox(ui->NumberEdit->mapTo(this, QPoint(0, 0)), ui->NumberEdit->size());
    if (e->type() == QEvent::MouseButtonPress && !countBox.contains(e->pos())) {
        ui->NumberEdit->clearFocus();
        setFocus(Qt::OtherFocusReason);
    }
}

void Buttoninterface::changeEvent(QEvent *e)
{
    if (e->type() != QEvent::LanguageChange) {
        QWidget::changeEvent(e);
        return;
    }
    const int profile = ui->ProjectChoose->currentIndex();
    const bool blocked = ui->ProjectChoose->blockSignals(true);
    ui->retranslateUi(this);
    ui->ProjectChoose->setCurrentIndex(profile);
    ui->ProjectChoose->blockSignals(blocked);
}

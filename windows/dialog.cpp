#include "dialog.h"
#include "ui_Dialog.h"

#include "afterfirstpaint.h"
#include "buttoninterface.h"
#include "configsettings.h"
#include "crashdump.h"
#include "deviceenumeration.h"
#include "deviceevent.h"
#include "devicestate.h"
#include "dialogchange.h"
#include "formsetting.h"
#include "globals.h"
#include "imagecache.h"
#include "languageloader.h"
#include "linktable.h"
#include "match.h"
#include "pagebackground.h"
#include "postmsg.h"
#include "updataparam.h"
#include "widgetfonts.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QListView>
#include <QStackedWidget>

namespace {

enum StackPage { ButtonPage = 0, DeviceListPage = 1, SettingsPage = 2 };

const char kTextButtonStyle[] =
    "QToolButton{border: 0px;background-image:transparent;color: rgb(255, 255, 255);} QToolButton:hover {color: "
    "rgb(255, 255, 0); }";
const char kTextButtonHovered[] =
    "QToolButton{border: 0px;background-image:transparent;color: rgb(255, 255, 0);} QToolButton:hover {color: "
    "rgb(255, 255, 0); }";
const char kTextButtonPlain[] = "QToolButton{border: 0px;background-image:transparent;color: rgb(255, 255, 255);}";

// The pictures of the three navigation pairs: not hovered, hovered.
struct PairPictures {
    const char *normal;
    const char *hovered;
};
const PairPictures kPairPictures[3] = {
    {"MainHover.png", "Main.png"},
    {"DeviceHover.png", "Device.png"},
    {"Set.png", "SetHover.png"},
};

// The button page's background for a device's link type.
QString buttonPageBackgroundFor(int linkType)
{
    return QString::fromLatin1(linkKindOf(linkType & 0xFF).buttonPageBackground);
}

} // namespace

Dialog::Dialog(QWidget *parent)
    : QWidget(parent), ui(new Ui::Dialog)
{
    ui->setupUi(this);
    // The header stays on top of the page area, so its buttons always take
    // their clicks.
    ui->frame->raise();

    ui->toolButton_4->hide();
    PostMsg *hub = PostMsg::instance();
    connect(hub, &PostMsg::SigJuestOneDevice, this, &Dialog::SlotJustOneDevice);

    showNavigation(false);
    picturePath = programDir() + "/Picture/Dialog/";
    m_background = new PageBackground(ui->frame_2);
    // A style sheet on the frame, set once and never changed, so every page
    // below it is styled as before (the pop-up lists' borders follow it);
    // changing it at each switch is what polished every page again.
    ui->frame_2->setStyleSheet(QStringLiteral("#frame_2{border: none;}"));
    // The list's background is needed for the first paint: read while the
    // list is being built.
    m_background->prepare({picturePath + "main_nr.png"});
    // The pages are built in the stack: a page moved below the header's
    // styled buttons afterwards polished all its widgets again at start-up.
    styleHeader();

    // The list is the first frame's page; the device page and the settings
    // page, some hundreds of widgets, are built once the window has painted
    // (or at once when something needs them first). Their places in the
    // stack are held from the start, so the pages keep their numbers.
    QStackedWidget *stack = ui->stackedWidgetDialog;
    m_deviceListPage = new DialogChange(stack);
    stack->addWidget(new QWidget(stack));
    stack->addWidget(m_deviceListPage);
    stack->addWidget(new QWidget(stack));
    holdLanguageForPages();
    runAfterFirstPaint(window(), this, [this] { buildDeferredPages(); });

    // The upload notice is first needed once a device is chosen: built
    // after the window has painted, so the window comes up without it.
    runAfterFirstPaint(window(), this, [this] { upDataParamNotice(); });
    qCDebug(lcDiagnostics) << "Start";

    pageButtons = new QButtonGroup(ui->frame);
    pageButtons->setExclusive(true);
    pageButtons->addButton(ui->toolButton);
    pageButtons->addButton(ui->toolButton_2);
    pageButtons->addButton(ui->toolButton_3);

    connect(ui->MinButton, &QToolButton::clicked, this, &Dialog::WindowMin);

    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(width(), height());

    CrashHandler::install();

    ui->stackedWidgetDialog->setCurrentWidget(m_deviceListPage);

    connect(hub, &PostMsg::SigLanguageSameA, this, &Dialog::SlotSameLanguageA);
    connect(hub, &PostMsg::SigSelectStackInde, this, &Dialog::SlotSelectStackIndex);
    connect(hub, &PostMsg::SigSetStyle, this, &Dialog::SlotSetStyle);
    connect(hub, &PostMsg::SigSecondPageChange, this, &Dialog::SlotSecondDialog);
    connect(hub, &PostMsg::SigChangeStyle, this, &Dialog::SlotChangeStyle);
    connect(hub, &PostMsg::SigUpDataParam, this, &Dialog::SlotUpDataParam);
    connect(hub, &PostMsg::SigStartRecord, this, &Dialog::SlotStartRecord);
    connect(hub, &PostMsg::SigMouseIndex, this, &Dialog::SlotMouseIndex);
    connect(hub, &PostMsg::SigSetLabelVer, this, &Dialog::SlotSetLabel);
    connect(hub, &PostMsg::SigSetLabelVerB, this, &Dialog::SlotSetLabelB);
    connect(hub, &PostMsg::SigAllLanguage, this, &Dialog::SlotAllLanguage);
    // Emitted by the device-event thread, which waits until the slot ran.
    connect(hub, &PostMsg::SigBattery, this, &Dialog::SlotBattery, Qt::BlockingQueuedConnection);

    styleLanguageBox();
}

Dialog::~Dialog()
{
    delete m_buttonPage;
    delete m_deviceListPage;
    delete m_settingsPage;
    delete ui;
    // The notice lives as long as the frame; in the program that is the
    // whole run.
    delete m_upDataParamNotice;
}

void Dialog::holdLanguageForPages()
{
    // The window announces its language as it is made, before the pages
    // that follow it exist: they take what they missed when they are built.
    PostMsg *hub = PostMsg::instance();
    m_languageHolds[0] = connect(hub, &PostMsg::SigAllLanguage, this,
                                 [this](int index) { m_heldLanguage.append({HeldAllLanguage, index}); });
    m_languageHolds[1] = connect(hub, &PostMsg::SigLanguageSameB, this,
                                 [this](int index) { m_heldLanguage.append({HeldLanguageSameB, index}); });
}

void Dialog::buildDeferredPages()
{
    // Once; a call from within the building (an event loop a page runs)
    // finds them on their way.
    if (m_buttonPage || m_buildingPages)
        return;
    m_buildingPages = true;
    for (const QMetaObject::Connection &hold : m_languageHolds)
        disconnect(hold);
    QStackedWidget *stack = ui->stackedWidgetDialog;
    const int current = stack->currentIndex();
    const auto place = [stack](int index, QWidget *page) {
        QWidget *holder = stack->widget(index);
        stack->removeWidget(holder);
        delete holder;
        stack->insertWidget(index, page);
    };
    // In this order: the device page makes the device worker, and its
    // hidden repair dialog connects to the repair signals before the
    // settings page's one.
    // With the fonts they would have had, built with the window.
    m_buttonPage = static_cast<Buttoninterface *>(
        makeWithScaledFonts(stack, [stack] { return new Buttoninterface(stack); }));
    place(ButtonPage, m_buttonPage);
    m_settingsPage = static_cast<FormSetting *>(makeWithScaledFonts(stack, [stack] { return new FormSetting(stack); }));
    place(SettingsPage, m_settingsPage);
    stack->setCurrentIndex(current);
    for (const HeldLanguage &held : qAsConst(m_heldLanguage)) {
        if (held.first == HeldAllLanguage) {
            m_buttonPage->SlotAllLanguage(held.second);
            m_settingsPage->SlotAllLanguage(held.second);
        } else {
            m_settingsPage->SlotLanguageSameB(held.second);
        }
    }
    m_heldLanguage.clear();
    m_buildingPages = false;
}

void Dialog::styleHeader()
{
    const QString &P = picturePath;
    setDefaultBackground();
    for (QToolButton *button : {ui->ButtonMain_2, ui->ButtonMain_3, ui->ButtonMain_4})
        button->setStyleSheet(QString::fromLatin1(kTextButtonStyle));
    QToolButton *icons[3] = {ui->toolButton, ui->toolButton_2, ui->toolButton_3};
    for (int i = 0; i < 3; ++i) {
        icons[i]->setStyleSheet(
            "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;background-image: url("
            + P + kPairPictures[i].normal + ");} QToolButton:hover {background-image: url(" + P
            + kPairPictures[i].hovered + "); }");
    }
    ui->toolButton_4->setStyleSheet(
        "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;border-image: url(" + P
        + "Pair.png" + ");}");
    ui->CloseButton->setStyleSheet("QToolButton{border:0px;background-image: url(" + P + "exit_nr.png"
                                   + ");background-position:center;background-repeat:no-repeat;}"
                                     "QToolButton:hover{background-image: url("
                                   + P + "exit_ov.png" + ");}QToolButton:pressed{background-image: url(" + P
                                   + "exit_nr.png" + ");}");
    ui->MinButton->setStyleSheet("QToolButton{border:0px;background-image: url(" + P + "min_nr.png"
                                 + ");background-position:center;background-repeat:no-repeat;}"
                                   "QToolButton:hover{background-image: url("
                                 + P + "min_ov.png" + ");}QToolButton:pressed{background-image: url(" + P
                                 + "min_nr.png" + ");}");
}

void Dialog::styleLanguageBox()
{
    const QString &P = picturePath;
    const QStringList select = ConfigSettings::instance()->readStringList("Option", "ComboxSelectColor");
    const QString S = rgbTriple(select, themeRgbTriple(g_themeComboxSelectColor));
    ui->comboBox->setStyleSheet(
        "QComboBox{border: 2px solid rgb(118,118,118);color: rgb(255,255,255);background-color:rgb(19,19,19); "
        "}QComboBox::drop-down:button{border-radius:5px; background:rgb(19,19,19);} QComboBox::down-arrow{image: "
        "url("
        + P + "Menu.png" + "); right: 8px; }QComboBox::down-arrow:on{ image: url(" + P + "MenuClicked.png"
        + ");}QComboBox QAbstractItemView::item{height:25px;}QComboBox QAbstractItemView {outline: 0px solid gray; "
          "border: 1px  solid gray;color: rgb(255,255,255); border-image: url("
        + P + "ComboboxTextBack.png" + ");selection-background-color: rgb(" + S + "); }");
    // Its pop-up list lays out every language's name in its own script,
    // which loads a font of its own: not needed before the list is opened,
    // so it is set up after the window has painted.
    runAfterFirstPaint(window(), this, [this] {
        QListView *view = new QListView(ui->comboBox);
        view->setStyleSheet(
            "QListView::item:selected{background-color: rgb(118,118,118);}QListView::item:hover{background-color: "
            "rgb(118,118,118);}");
        ui->comboBox->setView(view);
    });
    ui->comboBox->setMaxVisibleItems(5);
}

bool Dialog::exactlyOneDevice() const
{
    return g_shownDevices.size() == 1;
}

void Dialog::showNavigation(bool shown)
{
    for (QWidget *w : {static_cast<QWidget *>(ui->ButtonMain_3), static_cast<QWidget *>(ui->ButtonMain_2),
                       static_cast<QWidget *>(ui->ButtonMain_4), static_cast<QWidget *>(ui->toolButton),
                       static_cast<QWidget *>(ui->toolButton_2), static_cast<QWidget *>(ui->toolButton_3)})
        w->setVisible(shown);
}

void Dialog::setBackground(const QString &picture)
{
    m_background->show(picturePath + picture);
}

void Dialog::setDefaultBackground()
{
    setBackground(QStringLiteral("main_nr.png"));
}

QString Dialog::backgroundPicture() const
{
    return m_background->file();
}

QString Dialog::buttonPageBackground() const
{
    return buttonPageBackgroundFor(g_selectedDevice.linkType);
}

void Dialog::SlotSelectStackIndex(int index)
{
    switch (index) {
    case 0:
        ui->comboBox->show();
        if (exactlyOneDevice())
            ui->toolButton_4->show();
        ui->stackedWidgetDialog->setCurrentWidget(m_deviceListPage);
        ui->toolButton->setChecked(true);
        showNavigation(false);
        setDefaultBackground();
        break;
    case 1:
        toButtonPagePair();
        break;
    case 2:
        toSettingsPair();
        break;
    case 3:
        setBackground(QStringLiteral("macro_nr.png"));
        ui->ButtonMain_2->show();
        break;
    default:
        break;
    }
}

void Dialog::SlotSecondDialog()
{
    buildDeferredPages();
    ui->stackedWidgetDialog->setCurrentWidget(m_buttonPage);
}

void Dialog::SlotJustOneDevice(bool Yes)
{
    const int current = ui->stackedWidgetDialog->currentIndex();
    ui->toolButton_4->setVisible(Yes && (current == DeviceListPage || current == -1));
}

void Dialog::SlotMouseIndex(int index)
{
    Q_UNUSED(index);
    // A card click announces the model before its checks decide whether the
    // device opens. One that stays on the list (an unrecognised device, a
    // pairing or update question) must leave the list's header whole: the
    // language box and the pairing button would otherwise be gone until the
    // user opened some device. Opening one hides them with the page switch.
    if (ui->stackedWidgetDialog->currentWidget() == m_deviceListPage)
        return;
    ui->comboBox->hide();
    if (exactlyOneDevice())
        ui->toolButton_4->hide();
}

void Dialog::SlotChangeStyle(int index, bool istrue)
{
    QToolButton *icon = nullptr;
    QToolButton *text = nullptr;
    switch (index) {
    case 0: icon = ui->toolButton; text = ui->ButtonMain_2; break;
    case 1: icon = ui->toolButton_2; text = ui->ButtonMain_3; break;
    case 2: icon = ui->toolButton_3; text = ui->ButtonMain_4; break;
    default: return;
    }
    const char *picture = istrue ? kPairPictures[index].hovered : kPairPictures[index].normal;
    icon->setStyleSheet(
        "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;background-image: url("
        + picturePath + picture + ");}");
    text->setStyleSheet(QString::fromLatin1(istrue ? kTextButtonHovered : kTextButtonPlain));
}

void Dialog::SlotStartRecord(int index)
{
    if (index != 0 && index != 1)
        return;
    const bool enabled = index == 1;
    ui->ButtonMain_2->setEnabled(enabled);
    ui->ButtonMain_3->setEnabled(enabled);
    ui->ButtonMain_4->setEnabled(enabled);
}

UpDataParam *Dialog::upDataParamNotice()
{
    if (!m_upDataParamNotice)
        m_upDataParamNotice = new UpDataParam(nullptr);
    return m_upDataParamNotice;
}

void Dialog::SlotUpDataParam(int index)
{
    UpDataParam *notice = upDataParamNotice();
    notice->startCloseTimer();
    notice->prepare(index);
    qCDebug(lcDiagnostics) << "q";
    // Every announcement says which kind of read follows: a flag left over
    // from an earlier re-read would send a first read down the re-read path.
    notice->reloadMode = (index == 1);
    qCDebug(lcDiagnostics) << "w";
    // A second announcement while the notice is up only restarts its timer:
    // a second exec() of a running dialog is refused.
    if (notice->isVisible())
        return;
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    notice->move(origin.x() + (width() - notice->width()) / 2 + 20,
                 origin.y() + 8 + (height() - notice->height()) / 2);
    qCDebug(lcDiagnostics) << "t1";
    notice->exec();
}

void Dialog::SlotAllLanguage(int index)
{
    ui->ButtonMain_2->setText(langText(g_langDialogChange, index, 10));
    ui->ButtonMain_3->setText(langText(g_langDialogChange, index, 11));
    ui->ButtonMain_4->setText(langText(g_langDialogChange, index, 12));
}

void Dialog::SlotSameLanguageA(int index)
{
    const bool blocked = ui->comboBox->blockSignals(true);
    // An index the box does not hold leaves it without a current item.
    ui->comboBox->setCurrentIndex(index);
    ui->comboBox->blockSignals(blocked);
}

void Dialog::SlotSetLabelB()
{
    PostMsg::instance()->postGetRealVer();
}

void Dialog::SlotSetStyle(int index)
{
    Q_UNUSED(index);
}

void Dialog::SlotBattery(bool IsCharg, int Number, bool IsText)
{
    Q_UNUSED(IsCharg);
    Q_UNUSED(Number);
    Q_UNUSED(IsText);
}

void Dialog::SlotSetLabel(QString a, QString b)
{
    Q_UNUSED(a);
    Q_UNUSED(b);
}

void Dialog::WindowMin()
{
    PostMsg::instance()->postChangeSize(0);
}

void Dialog::on_CloseButton_clicked()
{
    // Nothing to keep before a device has delivered its data (no cache name).
    if (!g_deviceCacheName.isEmpty()) {
        const FlashDataMap image = g_flashDataMap;
        saveDeviceInfo(g_deviceCacheName, image);
    }
    PostMsg::instance()->postChangeSize(1);
}

void Dialog::toListPair()
{
    PostMsg::instance()->postChangeMainDialog(0);
    ui->comboBox->show();
    if (exactlyOneDevice())
        ui->toolButton_4->show();
}

void Dialog::toButtonPagePair()
{
    buildDeferredPages();
    ui->comboBox->hide();
    if (exactlyOneDevice())
        ui->toolButton_4->hide();
    ui->toolButton_2->setChecked(true);
    showNavigation(true);
    setBackground(buttonPageBackground());
    ui->stackedWidgetDialog->setCurrentWidget(m_buttonPage);
}

void Dialog::toSettingsPair()
{
    buildDeferredPages();
    ui->comboBox->hide();
    if (exactlyOneDevice())
        ui->toolButton_4->hide();
    setDefaultBackground();
    ui->toolButton_3->setChecked(true);
    showNavigation(true);
    ui->stackedWidgetDialog->setCurrentWidget(m_settingsPage);
}

void Dialog::on_toolButton_clicked()
{
    toListPair();
}

void Dialog::on_ButtonMain_2_clicked()
{
    toListPair();
}

void Dialog::on_toolButton_2_clicked()
{
    toButtonPagePair();
}

void Dialog::on_ButtonMain_3_clicked()
{
    toButtonPagePair();
}

void Dialog::on_toolButton_3_clicked()
{
    toSettingsPair();
}

void Dialog::on_ButtonMain_4_clicked()
{
    toSettingsPair();
}

void Dialog::on_toolButton_4_clicked()
{
    Match *match = new Match(nullptr);
    g_pairWithStoredDevice = 0;
    match->init();
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    match->move(origin.x() + (width() - match->width()) / 2, origin.y() + (height() - match->height()) / 2);
    match->exec();
    restartEventServer();
    delete match;
}

void Dialog::on_comboBox_activated(int index)
{
    switchLanguage(index);
    PostMsg::instance()->postLanguageSameB(index);
}

void Dialog::on_ButtonMain_2_toggled(bool checked)
{
    Q_UNUSED(checked);
}

void Dialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12)
        return;
    QWidget::keyPressEvent(event);
}

void Dialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}

#include "dialogchange.h"

#include "deviceenumeration.h"
#include "devicesearch.h"
#include "devicewatch.h"
#include "guithread.h"
#include "linktable.h"
#include "ui_DialogChange.h"

#include "configsettings.h"
#include "devicelistcards.h"
#include "globals.h"
#include "macrosettings.h"
#include "mytoolbuttonenter.h"
#include "pagebackground.h"
#include "pagerepairdialog.h"
#include "postmsg.h"
#include "updaterepair.h"
#include "updatetraces.h"

#include <QEvent>
#include <QLabel>
#include <QPointer>

DialogChange::DialogChange(QWidget *parent)
    : QWidget(parent), ui(new Ui::DialogChange)
{
    ui->setupUi(this);
    g_dialogChange = this;
    ui->QuestionB->hide();

    g_dialogChangePictureDir = programDir() + "/Picture/DialogChange/";
    const QString D = g_dialogChangePictureDir;
    const QString W = programDir() + "/Picture/WarningDialog/";
    ConfigSettings *config = ConfigSettings::instance();
    // A short colour list in Config.ini falls back on the theme's start
    // colours instead of reading past its end.
    const QString LC = rgbTriple(config->readStringList("Option", "LabelColor"), "0,0,0");
    const QString BC = rgbTriple(config->readStringList("Option", "ButtonColor"), "255,255,255");

    ui->RightButton->setStyleSheet("QToolButton{border-image: url(" + D + "Right.png" + ");}QToolButton:hover{border-image: url("
                                   + D + "RightClick.png" + ");}");
    ui->LeftButton->setStyleSheet("QToolButton{border-image: url(" + D + "Left.png" + ");}QToolButton:hover{border-image: url("
                                  + D + "LeftClick.png" + ");}");
    ui->Repair->setStyleSheet("#Repair{border:0px;background-image: url(" + D + "Repair.png"
                              + ");background-position:center;background-repeat:no-repeat;}");
    ui->FindVerlaebl->setStyleSheet("QLabel{color: rgb(" + LC + ";);}");
    ui->NewHong->setStyleSheet("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(" + BC
                               + ";);border-image: url(" + W + "Confirm.png" + ");}QToolButton:pressed{border-image: url(" + W
                               + "ConfirmClick.png" + "); }");
    const QString closeStyle = "QToolButton{border:0px;background-image: url(" + W + "Close.png"
                               + ");background-position:center;background-repeat:no-repeat;}QToolButton:hover{background-image: url("
                               + W + "CloseHover.png" + ");}QToolButton:pressed{background-image: url(" + W + "CloseClick.png"
                               + ");}";
    ui->CloseButton_2->setStyleSheet(closeStyle);
    ui->CloseButton->setStyleSheet(closeStyle);
    showFramePicture(ui->FindVer, W + "BackGround.png", PageBackground::Centre);
    showFramePicture(ui->QuestionB, W + "BackGround.png", PageBackground::Centre);
    ui->NoApear->setStyleSheet("QCheckBox{color: rgb(" + LC + ";);}QCheckBox::indicator:checked {image: url(" + W
                               + "CheckBoxCheck.png" + ");}QCheckBox::indicator:unchecked {image: url(" + W + "CheckBox.png"
                               + ");}");
    ui->label->setStyleSheet("QLabel{color: rgb(0,0,0);}");

    ui->label_2->hide();
    ui->label_3->show();
    ui->label_4->show();
    ui->RightButton->hide();
    ui->LeftButton->hide();
    ui->Repair->hide();
    ui->FindVer->hide();

    PostMsg *hub = PostMsg::instance();
    connect(hub, &PostMsg::SigLanguageSameA, this, &DialogChange::SlotSameLanguageA);
    connect(hub, &PostMsg::SigUpDateButton, this, &DialogChange::SlotUpDateButton);
    connect(hub, &PostMsg::SigEnterKey, this, &DialogChange::SlotEnterKey);

    const QString failInfo = readUpdateFailInfo();
    g_deviceTotal = configuredDeviceTotal();

    connect(hub, &PostMsg::SigAllLanguage, this, &DialogChange::SlotAllLanguage);
    SlotAllLanguage(g_language);

    // Entering a card refreshes that device.
    mytoolButtonEnter::setDeviceIconUpdater([](int index) { DialogChange::updateDeviceIcon(index); });
    setDeviceListCallback(&DialogChange::onUsbChanged);
    watchDeviceChanges(DeviceChangeListener::DeviceList);

    showRepairState(!failInfo.isEmpty());
}

DialogChange::~DialogChange()
{
    // The card widgets go with the page; nothing may reach them afterwards,
    // nor the page through a device change queued before it went.
    if (g_dialogChange == this)
        g_dialogChange = nullptr;
    g_deviceButtons.clear();
    g_offlineMarkers.clear();
    g_linkLabels.clear();
    g_nameLabels.clear();
    g_rateLabels.clear();
    delete ui;
}

void DialogChange::showRepairState(bool failureRecorded)
{
    if (failureRecorded) {
        ui->Repair->show();
        ui->label_2->setText(g_offlineTipsText);
        ui->label_3->setText(g_offlineTipsText);
    } else {
        ui->Repair->hide();
        ui->label_2->setText(g_connectDeviceText);
        ui->label_3->setText(langText(g_langDialogChange, g_language, 1));
    }
}

void DialogChange::SlotAllLanguage(int index)
{
    const LanguageTextTable &T = g_langDialogChange;
    g_connectDeviceText = langText(T, index, 0);
    ui->label_3->setText(langText(T, index, 1));
    ui->label_4->setText(langText(g_langLight, index, 0));
    g_offlineTooltipHead = langText(T, index, 5);
    g_offlineTooltipTail = langText(T, index, 6);
    g_offlineTipsText = langText(T, index, 2);

    if (readUpdateFailInfo().isEmpty()) {
        ui->label_2->setText(langText(T, index, 0));
    } else {
        ui->label_3->setText(g_offlineTipsText);
        ui->label_2->setText(g_offlineTipsText);
    }

    ui->FindVerlaebl->setText(langText(T, index, 3));
    ui->NewHong->setText(langText(T, index, 4));
    ui->NoApear->setText(langText(T, index, 7));
    g_mouseIsNewTipsText = langText(T, index, 8);

    const QString tooltip = g_offlineTooltipHead + "\n" + g_offlineTooltipTail;
    for (QLabel *marker : qAsConst(g_offlineMarkers))
        marker->setToolTip(tooltip);

    ui->label->setText(langText(g_langQuestionB, index, 0));
}

void DialogChange::SlotSameLanguageA(int index)
{
    Q_UNUSED(index);
}

void DialogChange::SlotUpDateButton(bool IsHide)
{
    showRepairState(!IsHide);
}

void DialogChange::SlotEnterKey()
{
    if (!ui->FindVer->isHidden())
        ui->FindVer->hide();
    else if (!ui->Repair->isHidden())
        on_Repair_clicked();
}

void DialogChange::WindowClosedA()
{
    close();
}

void DialogChange::WindowMinA()
{
    showMinimized();
}

void DialogChange::changeEvent(QEvent *event)
{
    Q_UNUSED(event);
}

// ---- Device changes and enumeration ------------------------------------------

int DialogChange::onUsbChanged()
{
    // The lists and the cards belong to the GUI thread: the library's thread
    // only hands the work over and never waits for it.
    queueDeviceChangeWork(&DialogChange::handleUsbChanged);
    return 0;
}

void DialogChange::handleUsbChanged()
{
    DialogChange *page = g_dialogChange;
    if (!page)
        return;

    // The failure record follows the devices found now: the repair is
    // offered for a device that waits in update mode, and no longer for one
    // read back right.
    page->showRepairState(UpdateEngine::instance()->repairWanted());

    enumerateFoundDevices();
    rebuildDeviceButtons();

    if (!page->ui->Repair->isHidden() && !UpdateEngine::instance()->updateUnderWay() && g_updateRepairDialog
        && g_updateRepairDialog->isVisible())
        PostMsg::instance()->postRepairCheckUpdate();
}

void DialogChange::findDevicesByPid(QString vid, QVector<QString> pids)
{
    findDevicesByPids(vid, QStringList(pids.begin(), pids.end()));
}

bool DialogChange::identifyDevice(DeviceAllInfo &info)
{
    return identifyFoundDevice(info);
}

void DialogChange::refreshDeviceEntry(int index)
{
    refreshShownDevice(index);
}

// ---- Card icons ------------------------------------------------------------------

namespace {

QString unknownButtonStyle()
{
    return "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;border-image: url("
           + g_dialogChangePictureDir + "Unknow.png" + ");color: rgb(255, 255, 255);}";
}

// "OnLine" or "DisOnlin" + 0 for model 1, 1 for model 2. Only these two
// models have pictures; any other keeps the style it has.
void setRecognisedButtonStyle(QToolButton *button, bool online, u8 mid)
{
    if (mid != 1 && mid != 2)
        return;
    const QString prefix = online ? QStringLiteral("OnLine") : QStringLiteral("DisOnlin");
    const QString m = mid == 1 ? QStringLiteral("0") : QStringLiteral("1");
    button->setStyleSheet("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;background-image: url("
                          + g_dialogChangePictureDir + prefix + m + ".png" + ");color: rgb(255, 255, 255);}");
}

QString labelPictureStyle(const QString &picture)
{
    return "QLabel{border:0px;background-position:center;background-repeat:no-repeat;background-image: url("
           + g_dialogChangePictureDir + picture + ");color: rgb(255, 255, 255);}";
}

} // namespace

bool DialogChange::updateDeviceIcon(int index)
{
    if (g_shownDevices.isEmpty())
        return true;
    if (index < 0 || index >= g_shownDevices.size())
        return true;

    refreshShownDevice(index, true);
    const DeviceAllInfo r = g_shownDevices.at(index);

    // Without cards (a doubled device, or no page) only the record changes.
    if (!g_dialogChange || index >= g_deviceButtons.size() || index >= g_nameLabels.size()
        || index >= g_linkLabels.size() || index >= g_offlineMarkers.size())
        return true;

    QToolButton *button = g_deviceButtons.at(index);
    if (r.driveIndex == g_deviceTotal) {
        g_nameLabels.at(index)->setText(langText(g_langScreenInfo, g_language, g_shownDevices.size() == 1 ? 1 : 0));
        g_linkLabels.at(index)->show();
        button->setStyleSheet(unknownButtonStyle());
    } else if (r.online == 0) {
        setRecognisedButtonStyle(button, false, r.mid);
        g_offlineMarkers.at(index)->show();
        g_linkLabels.at(index)->hide();
    } else {
        g_linkLabels.at(index)->show();
        g_offlineMarkers.at(index)->hide();
        setRecognisedButtonStyle(button, true, r.mid);
    }
    return true;
}

// ---- Card builder ----------------------------------------------------------------

int DialogChange::s_selectionDepth = 0;

namespace {

QList<QPointer<QWidget>> &retiredWidgets()
{
    static QList<QPointer<QWidget>> widgets;
    return widgets;
}

enum class CardLayout { FullPage, OneCard, TwoCards };

struct CardPlace {
    QPoint button, name, marker, link;
};

CardPlace cardPlace(CardLayout layout, int slot)
{
    switch (layout) {
    case CardLayout::FullPage: {
        const int dx = 350 * slot;
        return {{146 + dx, 0}, {146 + dx, 340}, {290 + dx, 20}, {321 + dx, 10}};
    }
    case CardLayout::OneCard:
        return {{496, 0}, {496, 340}, {656, 20}, {671, 10}};
    case CardLayout::TwoCards:
        if (slot == 0)
            return {{236, 0}, {246, 340}, {340, 20}, {421, 10}};
        return {{755, 0}, {755, 340}, {884, 20}, {930, 10}};
    }
    return {};
}

// The rate badge sits in the top-left corner of its own card. (Places taken
// from a fixed table per layout put the badges of the second and third cards
// over the neighbouring card, where they told the wrong device's rate and
// covered its online and offline markers.)
QPoint badgePlace(const QPoint &button)
{
    return button + QPoint(12, 10);
}

void buildCard(QWidget *cardPage, int n, CardLayout layout, int slot)
{
    const DeviceAllInfo &e = g_shownDevices.at(n);
    const QString number = QString::number(n);

    auto *button = new mytoolButtonEnter(cardPage);
    button->setObjectName("btn" + number);
    auto *marker = new QLabel(cardPage);
    marker->setObjectName("label" + number);
    auto *linkLabel = new QLabel(cardPage);
    linkLabel->setObjectName("UsbWifi" + number);
    auto *name = new QLabel(cardPage);
    name->setObjectName("Unkonw" + number);
    name->setStyleSheet("QLabel{border:0px;background-color: transparent;font-size: 15px;color: rgb(0, 0, 0);}");

    const QString linkStyle = labelPictureStyle(e.isWired ? QStringLiteral("OnLineUsb.png") : QStringLiteral("OnLineWifi.png"));
    linkLabel->setStyleSheet(linkStyle);
    // The card's icon update, right after the cards are built, decides the
    // picture; started from the state the search found, the picture is
    // decoded once rather than the offline one first.
    if (e.driveIndex == g_deviceTotal)
        button->setStyleSheet(unknownButtonStyle());
    else
        setRecognisedButtonStyle(button, e.online, e.mid);
    marker->setStyleSheet(labelPictureStyle(QStringLiteral("DisOnline.png")));

    const CardPlace place = cardPlace(layout, slot);
    button->move(place.button);
    name->move(place.name);
    marker->move(place.marker);
    linkLabel->move(place.link);
    if (const char *badge = linkKindOf(e.linkType).badge) {
        auto *rate = new QLabel(cardPage);
        rate->setStyleSheet("QLabel{background-image: url(" + g_dialogChangePictureDir + badge + ");}");
        rate->move(badgePlace(place.button));
        rate->setFixedSize(42, 26);
        rate->setFocusPolicy(Qt::NoFocus);
        rate->show();
        g_rateLabels.append(rate);
    }

    const QString tooltip = g_offlineTooltipHead + "\n" + g_offlineTooltipTail;
    button->setFixedSize(216, 328);
    button->setFocusPolicy(Qt::NoFocus);
    button->show();
    marker->setFixedSize(28, 28);
    marker->setFocusPolicy(Qt::NoFocus);
    marker->setToolTip(tooltip);
    marker->hide();
    linkLabel->setFixedSize(28, 28);
    linkLabel->setFocusPolicy(Qt::NoFocus);
    linkLabel->hide();
    if (layout == CardLayout::OneCard)
        linkLabel->setToolTip(tooltip);
    name->setFixedSize(215, layout == CardLayout::TwoCards && slot == 1 ? 60 : 70);
    name->setFocusPolicy(Qt::NoFocus);
    name->setAlignment(Qt::AlignHCenter);
    name->setWordWrap(true);
    name->show();

    g_deviceButtons.append(button);
    g_offlineMarkers.append(marker);
    g_linkLabels.append(linkLabel);
    g_nameLabels.append(name);
}

} // namespace

void DialogChange::retireWidget(QWidget *widget)
{
    if (!widget)
        return;
    widget->hide();
    if (s_selectionDepth > 0)
        retiredWidgets().append(widget);
    else
        widget->deleteLater();
}

void DialogChange::releaseRetiredWidgets()
{
    const QList<QPointer<QWidget>> widgets = retiredWidgets();
    retiredWidgets().clear();
    for (const QPointer<QWidget> &widget : widgets) {
        if (widget)
            widget->deleteLater();
    }
}

void DialogChange::updateArrows()
{
    const int current = ui->stackedWidget->currentIndex();
    const int pages = ui->stackedWidget->count();
    ui->LeftButton->setVisible(pages > 0 && current > 0);
    ui->RightButton->setVisible(pages > 0 && current >= 0 && current < pages - 1);
}

void DialogChange::rebuildDeviceButtons()
{
    DialogChange *page = g_dialogChange;
    if (!page)
        return;
    Ui::DialogChange *ui = page->ui;
    PostMsg *hub = PostMsg::instance();

    for (QToolButton *w : qAsConst(g_deviceButtons))
        retireWidget(w);
    for (QLabel *w : qAsConst(g_offlineMarkers))
        retireWidget(w);
    for (QLabel *w : qAsConst(g_rateLabels))
        retireWidget(w);
    for (QLabel *w : qAsConst(g_linkLabels))
        retireWidget(w);
    for (QLabel *w : qAsConst(g_nameLabels))
        retireWidget(w);
    g_deviceButtons.clear();
    g_offlineMarkers.clear();
    g_rateLabels.clear();
    g_linkLabels.clear();
    g_nameLabels.clear();
    for (int i = ui->stackedWidget->count() - 1; i >= 0; --i) {
        QWidget *cardPage = ui->stackedWidget->widget(i);
        ui->stackedWidget->removeWidget(cardPage);
        retireWidget(cardPage);
    }

    // Which devices get a card is the device core's decision.
    decideShownDevices();
    if (g_shownDevices.isEmpty()) {
        // Nothing is doubled any more: a notice left from an earlier build
        // would ask the user to unplug a device that is gone.
        ui->QuestionB->hide();
        ui->label_2->hide();
        ui->label_3->show();
        ui->label_4->show();
        page->updateArrows();   // no pages: no arrows
        hub->postJuestOneDevice(false);
        return;
    }

    hub->postJuestOneDevice(g_shownDevices.size() == 1);

    // The prompt to connect a device shows only while no card does.
    if (g_duplicateDevices) {
        ui->label_2->hide();
        ui->label_4->show();
        ui->RightButton->hide();
        ui->LeftButton->hide();
        ui->QuestionB->show();
        return;
    }

    ui->QuestionB->hide();
    ui->label_2->hide();
    ui->label_3->show();
    ui->label_4->hide();

    const int size = g_shownDevices.size();
    const int pages = size / 3;
    const int rest = size % 3;
    for (int p = 0; p < pages; ++p) {
        auto *cardPage = new QWidget;
        for (int slot = 0; slot < 3; ++slot)
            buildCard(cardPage, 3 * p + slot, CardLayout::FullPage, slot);
        ui->stackedWidget->addWidget(cardPage);
    }
    if (rest == 1 || rest == 2) {
        auto *cardPage = new QWidget;
        const CardLayout layout = rest == 1 ? CardLayout::OneCard : CardLayout::TwoCards;
        for (int n = 3 * pages; n < size; ++n)
            buildCard(cardPage, n, layout, n - 3 * pages);
        ui->stackedWidget->addWidget(cardPage);
    }

    ui->stackedWidget->setCurrentIndex(0);
    ui->RightButton->setVisible(size > 3);
    ui->LeftButton->hide();

    const QList<QToolButton *> buttons = g_deviceButtons;
    for (QToolButton *button : buttons) {
        QString name = button->objectName();
        name.remove(QStringLiteral("btn"));
        updateDeviceIcon(name.toInt(nullptr, 10));
        connect(button, &QToolButton::clicked, page, &DialogChange::slotButtonClicked);
    }
}

#include "sensordpi.h"
#include "ui_SensorDPI.h"

#include "configsettings.h"
#include "devicesearch.h"
#include "devicesetters.h"
#include "devicestate.h"
#include "sensorcodes.h"
#include "sensorstyle.h"

#include <QButtonGroup>
#include <QSignalBlocker>

namespace {
constexpr int kFirstLargeLevel = 5;   // levels 6..8 are the large buttons
const QPoint kMarkerOffset(12, 13);
const char kGrooveEdge[] = "border:1px solid rgb(136, 148, 158);border-radius:3px;";
const char kValueBoxStyle[] = "QSpinBox{background-color: transparent;color: rgb(255,255,255);border: 0px  solid gray;}";
} // namespace

SensorDPI::SensorDPI(QWidget *parent)
    : QFrame(parent), ui(new Ui::SensorDPI), m_levelGroup(new QButtonGroup(this))
{
    ui->setupUi(this);
    m_pictureDir = sensorPictureDir();
    m_buttonColor = optionColorTriple("ButtonColor");
    m_purpleGeometry = ui->PurpleButton->geometry();
    m_levels = {ui->BlueButton,   ui->BrightRedButton, ui->RedButton,       ui->YellowButton,
                ui->GreenButton,  ui->PurpleButton,    ui->LightBlueButton, ui->LightYellowButton};
    m_levelGroup->setExclusive(true);

    const QString &P = m_pictureDir;
    for (int i = 0; i < kDpiLevelCount; ++i) {
        QToolButton *button = m_levels.at(i);
        m_levelGroup->addButton(button);
        button->setStyleSheet(levelStyle("MinA.png") + (i < kFirstLargeLevel ? "QToolButton:checked {padding: 0px 0px; }" : ""));
        connect(button, &QToolButton::toggled, this, [this, i](bool checked) { levelToggled(i, checked); });
        connect(button, &QToolButton::clicked, this, [this, i] { levelClicked(i); });
    }
    ui->label->setStyleSheet(optionLabelStyle());
    ui->label_2->setStyleSheet(optionLabelStyle());
    // A 5 px white groove, filled in yellow up to the handle. The groove is
    // outlined in grey: white on the page's white card would not show.
    ui->horizontalSliderC->setStyleSheet(
        "QSlider::groove:horizontal{height:3px;background:rgb(255, 255, 255);" + QString(kGrooveEdge) + "}"
        "QSlider::sub-page:horizontal{background:rgb(255,255,0);" + kGrooveEdge + "}"
        "QSlider::add-page:horizontal{background:rgb(255, 255, 255);" + kGrooveEdge + "}"
        "QSlider::handle:horizontal{width:18px;height:18px;margin:-7px 0;border-image: url("
        + P + "HuaKuai.png" + ");}");
    ui->spinBoxA->setStyleSheet(QString::fromLatin1(kValueBoxStyle));
    ui->spinBoxA_2->setStyleSheet(QString::fromLatin1(kValueBoxStyle));
    for (QFrame *box : {ui->frame_2, ui->frame_3})
        box->setStyleSheet("#" + box->objectName() + "{border-image: url(" + P + "Frame.png" + ");}");
    for (CustomPushButton *b : {ui->ReduceLevelA, ui->ReduceLevelA_2})
        b->setStyleSheet("QPushButton{border:0px;background-image: url(" + P + "Reduce.png" + ");}");
    for (CustomPushButton *b : {ui->AddLevelA, ui->AddLevelA_2})
        b->setStyleSheet("QPushButton{border:0px;background-image: url(" + P + "Add.png" + ");}");
    ui->label_8->setStyleSheet("QLabel{border-image: url(" + P + "Level.png" + ");}");
    ui->horizontalSliderC->installEventFilter(this);
}

SensorDPI::~SensorDPI()
{
    delete ui;
}

// ---- What the page sets ------------------------------------------------------

void SensorDPI::setMaximum(int dpi)
{
    ui->horizontalSliderC->setMaximum(dpi);
    ui->spinBoxA->setMaximum(dpi);
}

void SensorDPI::setMinimum(int dpi)
{
    ui->horizontalSliderC->setMinimum(dpi);
    ui->spinBoxA->setMinimum(dpi);
}

void SensorDPI::setSliderValue(int dpi)
{
    ui->horizontalSliderC->setValue(dpi);
}

void SensorDPI::blockSliderSignals(bool block)
{
    ui->horizontalSliderC->blockSignals(block);
}

void SensorDPI::setSliderEnabled(bool enabled)
{
    ui->horizontalSliderC->setEnabled(enabled);
}

void SensorDPI::loadDpiSettings()
{
    const QStringList grades = ConfigSettings::instance()->readStringList(
        selectedDriveGroup(), "DPIGrade");
    if (grades.size() < kDpiLevelCount)
        return;
    for (int i = 0; i < kDpiLevelCount; ++i)
        m_levels.at(i)->setText(grades.at(i).trimmed());
}

void SensorDPI::setCurrentLevel(int level)
{
    if (level >= 0 && level < kDpiLevelCount)
        m_levels.at(level)->setChecked(true);
}

void SensorDPI::setLevelText(int level, QString text)
{
    if (level >= 0 && level < kDpiLevelCount)
        m_levels.at(level)->setText(text);
}

void SensorDPI::setStep(int level)
{
    m_currentLevel = level;
}

void SensorDPI::setStepB(int count)
{
    m_levelCount = count;
}

void SensorDPI::setSpinBoxValue(int count)
{
    ui->spinBoxA_2->setValue(count);
}

void SensorDPI::setSpinBoxMaximum(int maximum, QString text)
{
    Q_UNUSED(text);
    ui->spinBoxA_2->setMaximum(maximum);
}

void SensorDPI::setLevelCount(int last)
{
    if (last < 0 || last >= kDpiLevelCount)
        return;
    for (int i = 0; i < kDpiLevelCount; ++i)
        m_levels.at(i)->setVisible(i <= last);
}

void SensorDPI::moveMarkerToLevel(int n)
{
    if (n < 1 || n > kDpiLevelCount)
        return;
    ui->label_8->move(m_levels.at(n - 1)->pos() + kMarkerOffset);
}

void SensorDPI::setTexts(QString title, QString caption)
{
    ui->label->setText(title);
    ui->label_2->setText(caption);
}

void SensorDPI::setDpiValue(int dpi)
{
    ui->spinBoxA->setValue(dpi);
    markLimits();
}

void SensorDPI::refreshLevels() {}

void SensorDPI::resetLevels() {}

// ---- What the user changes -----------------------------------------------------

bool SensorDPI::writing()
{
    return pageMayWrite(PageRefresh::ButtonPage);
}

void SensorDPI::on_horizontalSliderC_sliderMoved(int position)
{
    setDpiValue(snapToDpiRange(position, currentDpiRanges()).dpi);
}

// A press on the slider's groove first pages toward the press and then
// jumps to it: the value changes twice. The slider tells its parent when it
// has settled, and only the settled value is shown and sent.
bool SensorDPI::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->horizontalSliderC && event->type() == QEvent::MouseButtonPress) {
        m_sliderPressed = true;
        m_valueBeforePress = ui->horizontalSliderC->value();
    }
    return QFrame::eventFilter(watched, event);
}

bool SensorDPI::event(QEvent *event)
{
    if (event->type() != MySlider::kSliderPressedEvent)
        return QFrame::event(event);
    m_sliderPressed = false;
    if (ui->horizontalSliderC->value() != m_valueBeforePress)
        on_horizontalSliderC_valueChanged(ui->horizontalSliderC->value());
    return true;
}

void SensorDPI::on_horizontalSliderC_valueChanged(int value)
{
    if (m_sliderPressed)
        return;
    if (writing() && !isDeviceOnline()) {
        showLevelDpiAgain();
        return;
    }
    const DpiSnap snap = snapToDpiRange(value, currentDpiRanges());
    if (snap.pageStep > 0)
        ui->horizontalSliderC->setPageStep(snap.pageStep);
    const int level = checkedLevel();
    if (level >= 0)
        m_levels.at(level)->setText(QString::number(snap.dpi));
    setDpiValue(snap.dpi);
    // Filling the widget from the device, or applying a whole configuration,
    // must not echo values back to it.
    if (!writing() || g_configApplying != 0)
        return;
    LookupSensorDpi(level, snap.dpi);
}

void SensorDPI::on_AddLevelA_clicked()
{
    if (pageMayWrite() && !isDeviceOnline())
        return;
    ui->horizontalSliderC->setValue(dpiStepUp(ui->spinBoxA->value(), currentDpiRanges()));
}

void SensorDPI::on_ReduceLevelA_clicked()
{
    if (pageMayWrite() && !isDeviceOnline())
        return;
    ui->horizontalSliderC->setValue(dpiStepDown(ui->spinBoxA->value(), currentDpiRanges()));
}

void SensorDPI::levelToggled(int level, bool checked)
{
    if (level >= kFirstLargeLevel)
        showLargeLook(level, checked);
    if (!checked) {
        m_lastUnchecked = level;
        return;
    }
    const int previousChecked = m_lastUnchecked;
    m_lastUnchecked = -1;
    if (!writing())
        return;
    const int previousLevel = m_currentLevel;
    m_currentLevel = level;
    moveMarkerToLevel(level + 1);
    // A count change that drops the selected level sends the new level
    // together with the swapped entries.
    if (m_swapping || setCurrentDpiLevel(u8(level)))
        return;
    m_currentLevel = previousLevel;
    checkLevelQuietly(previousChecked);
    moveMarkerToLevel(previousChecked + 1);
}

void SensorDPI::levelClicked(int level)
{
    // A selection the device refused was put back; its DPI is not sent.
    if (m_levels.at(level)->isChecked())
        ui->horizontalSliderC->setValue(m_levels.at(level)->text().toInt());
}

void SensorDPI::on_spinBoxA_2_valueChanged(int count)
{
    markCountLimits();
    if (writing() && !isDeviceOnline()) {
        const QSignalBlocker quiet(ui->spinBoxA_2);
        ui->spinBoxA_2->setValue(m_shownCount);
        markCountLimits();
        return;
    }
    const int last = count - 1;
    bool countSent = false;
    if (g_buttonPageRefreshing == 0) {
        m_pendingLevel = m_currentLevel;
        if (m_pendingLevel > last && m_pendingLevel < kDpiLevelCount) {
            swapSelectedInto(last);
            countSent = writing();
        }
        setLevelCount(last);
    }
    if (writing() && !countSent)
        setDpiLevelCount(u8(count));
    placeLevelButtons(count);
    moveMarkerToLevel(m_currentLevel + 1);
    m_shownCount = count;
}

void SensorDPI::on_AddLevelA_2_clicked()
{
    ui->spinBoxA_2->setValue(ui->spinBoxA_2->value() + 1);
}

void SensorDPI::on_ReduceLevelA_2_clicked()
{
    ui->spinBoxA_2->setValue(ui->spinBoxA_2->value() - 1);
}

// The selected level is being dropped: it changes places with the new
// last level, on screen and on the device, and stays selected there.
void SensorDPI::swapSelectedInto(int last)
{
    const int selected = m_pendingLevel;
    const QString selectedText = m_levels.at(selected)->text();
    m_levels.at(selected)->setText(m_levels.at(last)->text());
    m_levels.at(last)->setText(selectedText);
    moveMarkerToLevel(last + 1);
    m_swapping = true;
    m_levels.at(last)->setChecked(true);
    m_swapping = false;
    m_levelCount = last + 1;
    m_currentLevel = last;
    if (!writing())
        return;
    const DpiLevel oldSelected = g_flashDataMap.dpiLevels[selected];
    const DpiLevel oldLast = g_flashDataMap.dpiLevels[last];
    swapDpiLevels(oldLast, oldSelected, last, selected, u8(last));
}

// ---- Helpers -------------------------------------------------------------------

QString SensorDPI::levelStyle(const char *picture) const
{
    return "QToolButton{border:0px;border-radius:3px;background-position:center;background-repeat:no-repeat;"
           "color: rgb("
           + m_buttonColor + ";);background-image: url(" + m_pictureDir + picture + ");}";
}

int SensorDPI::checkedLevel() const
{
    return m_levels.indexOf(static_cast<QToolButton *>(m_levelGroup->checkedButton()));
}

// Checks `level` (or none for -1) without running the selection.
void SensorDPI::checkLevelQuietly(int level)
{
    if (level < 0 || level >= kDpiLevelCount) {
        if (QAbstractButton *b = m_levelGroup->checkedButton()) {
            m_levelGroup->setExclusive(false);
            b->setChecked(false);
            m_levelGroup->setExclusive(true);
        }
        return;
    }
    {
        const QSignalBlocker quiet(m_levels.at(level));
        m_levels.at(level)->setChecked(true);
    }
    if (level >= kFirstLargeLevel)
        showLargeLook(level, true);
}

// The device did not take a DPI: the slider and the value box show the
// selected level's DPI again.
void SensorDPI::showLevelDpiAgain()
{
    const int level = checkedLevel();
    const int dpi = level >= 0 ? m_levels.at(level)->text().toInt() : ui->spinBoxA->value();
    {
        const QSignalBlocker quiet(ui->horizontalSliderC);
        ui->horizontalSliderC->setValue(dpi);
    }
    setDpiValue(dpi);
}

void SensorDPI::markLimits()
{
    ui->AddLevelA->setForbidden(ui->spinBoxA->value() == ui->spinBoxA->maximum());
    ui->ReduceLevelA->setForbidden(ui->spinBoxA->value() == ui->spinBoxA->minimum());
}

void SensorDPI::markCountLimits()
{
    ui->AddLevelA_2->setForbidden(ui->spinBoxA_2->value() == ui->spinBoxA_2->maximum());
    ui->ReduceLevelA_2->setForbidden(ui->spinBoxA_2->value() == ui->spinBoxA_2->minimum());
}

void SensorDPI::placeLevelButtons(int count)
{
    // x of the small level buttons for one to five levels in use; with
    // more the buttons keep their places.
    static const QVector<QVector<int>> kPlaces = {
        {230}, {130, 330}, {130, 230, 330}, {90, 170, 250, 330}, {80, 155, 230, 305, 380}};
    if (count < 1 || count > kPlaces.size())
        return;
    const QVector<int> &xs = kPlaces.at(count - 1);
    for (int i = 0; i < xs.size(); ++i)
        m_levels.at(i)->move(xs.at(i), 75);
}

// The large level buttons show the larger picture while checked; the first
// of them also grows around its centre.
void SensorDPI::showLargeLook(int level, bool checked)
{
    QToolButton *button = m_levels.at(level);
    button->setStyleSheet(levelStyle(checked ? "MaxA.png" : "MinA.png"));
    if (button == ui->PurpleButton)
        button->setGeometry(checked ? QRect(m_purpleGeometry.topLeft() - QPoint(7, 7), QSize(68, 70))
                                    : m_purpleGeometry);
}

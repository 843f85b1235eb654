#include "sensordpib.h"
#include "ui_SensorDPIB.h"

#include "adddpivalue.h"
#include "colorselect.h"
#include "configsettings.h"
#include "devicesearch.h"
#include "devicesetters.h"
#include "devicestate.h"
#include "globals.h"
#include "myslider.h"
#include "postmsg.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QListView>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace {

Q_LOGGING_CATEGORY(lcDpiPage, "quz.dpipage", QtInfoMsg)

// The colours of levels A to F are shared by every page of this kind: a
// colour set on one page shows on the next.
QString g_dpiLevelColor0, g_dpiLevelColor1, g_dpiLevelColor2;
QString g_dpiLevelColor3, g_dpiLevelColor4, g_dpiLevelColor5;
QString *const kSharedColors[6] = {&g_dpiLevelColor0, &g_dpiLevelColor1, &g_dpiLevelColor2,
                                   &g_dpiLevelColor3, &g_dpiLevelColor4, &g_dpiLevelColor5};
const char *const kStartColors[kDpiLevelCount] = {"#34f8f2", "#0000ff", "#00ff00", "#ffff00",
                                                       "#ffa300", "#f20aea", "#9f0000", "#00d4d4"};

constexpr int kFilteredLevels = 6;   // A to F take the wheel and double-click

// The handles are the round handle picture, centred on the groove and
// kept within it, so all of a handle lies inside its 25 px slider, also at
// either end of the travel.
const char kHead24[] =
    "QSlider:groove:horizontal{height:2px;left: 0px;right: 0px;border:0px;border-radius:6px;"
    "background:rgba(0,0,0,50);}QSlider:handle:horizontal{ width:  18px;height: 18px;  margin-top: "
    "-8px;margin-left: 0px; margin-bottom: -8px;margin-right: 0px; border-image: url(";
const char kHead14[] =
    "QSlider:groove:horizontal{height:2px;left: 0px;right: 0px;border:0px;border-radius:6px;"
    "background:rgba(0,0,0,50);}QSlider:handle:horizontal{ width:  14px;height: 14px;  margin-top: "
    "-7px;margin-left: 0px; margin-bottom: -7px;margin-right: 0px; border-image: url(";
const char kGreyTail[] = ";}QSlider:add-page:horizontal{background-color: rgb(136, 148, 158);}";
const char kWhiteTail[] = ";}QSlider:add-page:horizontal{background-color: rgb(255, 255, 255);}";

// Level C's head when loading: its groove in the level's colour.
QString headC(const QString &colour)
{
    return "QSlider:groove:horizontal{height:2px;left: 0px;right: 0px;border:0px;border-radius:6px;"
           "background-color:"
           + colour
           + ";}QSlider:handle:horizontal{ width:  18px;height: 18px;  margin-top: -8px;margin-left: 0px; "
             "margin-bottom: -8px;margin-right: 0px; border-image: url(";
}

// Colour button styles: levels A to F with a thin frame, G and H without.
QString framedButton(const QString &colour)
{
    return "QToolButton{border: 1px solid rgb(136,148,158);background-position:center;"
           "background-repeat:no-repeat;background-color:"
           + colour + ";}";
}

QString plainButton(const QString &colour)
{
    return "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;background-color:"
           + colour + ";}";
}

QString joined(const QStringList &colour)
{
    return themeRgbTriple(colour);
}

QString hexColour(int r, int g, int b)
{
    auto two = [](int v) { return QStringLiteral("%1").arg(qBound(0, v, 255), 2, 16, QLatin1Char('0')); };
    return "#" + two(r) + two(g) + two(b);
}

// The scale's two ends; `piecewise` when the range can carry the quarters.
struct Scale {
    bool known = false;
    bool piecewise = false;
    qint64 min = 0, max = 0, q = 0;
};

Scale scaleOf(const DpiRangeTable &ranges)
{
    Scale s;
    if (ranges.ranges.isEmpty())
        return s;
    s.known = true;
    s.min = ranges.ranges.first().low;
    s.max = ranges.ranges.last().high;
    s.q = (s.max - s.min) / 4;
    s.piecewise = s.min < 400 && s.max > 1600 && s.max - s.min >= 4;
    return s;
}

int oneToOne(qint64 value, const Scale &s)
{
    if (s.known && s.min <= s.max)
        value = qBound(s.min, value, s.max);
    return int(value);
}

} // namespace

int dpiSliderPosition(int dpi, const DpiRangeTable &ranges)
{
    const Scale s = scaleOf(ranges);
    if (!s.piecewise)
        return oneToOne(dpi, s);
    const qint64 d = dpi;
    qint64 p;
    if (d < 400)
        p = s.min + ((d - s.min) * s.q) / (400 - s.min);
    else if (d < 1600)
        p = s.min + s.q + ((d - 400) * s.q) / 1200;
    else
        p = s.min + 2 * s.q + ((d - 1600) * s.q * 2) / (s.max - 1600);
    return int(qBound<qint64>(INT_MIN, p, INT_MAX));
}

int dpiAtSliderPosition(int position, const DpiRangeTable &ranges)
{
    const Scale s = scaleOf(ranges);
    if (!s.piecewise)
        return oneToOne(position, s);
    const qint64 p = position;
    qint64 d;
    if (p < s.min + s.q)
        d = ((400 - s.min) * (p - s.min)) / s.q + s.min;
    else if (p < s.min + 2 * s.q)
        d = ((p - s.q - s.min) * 1200) / s.q + 400;
    else
        d = ((s.max - 1600) * (p - 2 * s.q - s.min)) / (2 * s.q) + 1600;
    return int(qBound(s.min, d, s.max));
}

int dpiWheelValue(int value, int notches)
{
    // Up takes the coarser step at a band's edge, down the finer one, so the
    // steps meet on one grid; values off the grid step with their band.
    qint64 step;
    if (notches >= 1)
        step = value < 10000 ? 10 : value < 30000 ? 50 : 100;
    else
        step = value <= 10000 ? 10 : value <= 30000 ? 50 : 100;
    return int(qBound<qint64>(kLowestDpi, value + step * notches, kHighestDpi));
}

SensorDPIB::SensorDPIB(QWidget *parent)
    : QFrame(parent), ui(new Ui::SensorDPIB), colorDialog(nullptr), levelGroup(nullptr)
{
    ui->setupUi(this);
    selectedLevelNumber = 1;
    connect(PostMsg::instance(), &PostMsg::SigSetStyle, this, &SensorDPIB::SlotSetStyle);

    const QString red = QStringLiteral(
        "{border: 1px solid rgb(136,148,158);background-position:center;background-repeat:no-repeat;"
        "background-color: rgb(255, 0, 0);}");
    const QString redPlain = QStringLiteral(
        "{border:0px;background-position:center;background-repeat:no-repeat;background-color: rgb(255, 0, 0);}");
    for (QToolButton *b : {ui->BlueButtonA, ui->LightBlueButtonA, ui->BrightRedButtonA, ui->RedButtonA,
                           ui->YellowButtonA, ui->GreenButtonA, ui->PurpleButtonA, ui->LightYellowButtonA}) {
        const bool plain = b == ui->LightBlueButtonA || b == ui->LightYellowButtonA;
        b->setStyleSheet("#" + b->objectName() + (plain ? redPlain : red));
    }

    for (int level = 0; level < kDpiLevelCount; ++level)
        levelColor(level) = QString::fromLatin1(kStartColors[level]);

    levelGroup = new QButtonGroup(this);
    levelGroup->setExclusive(true);
    colorDialog = new QColorDialog(this);
    connect(colorDialog, &QColorDialog::colorSelected, this, &SensorDPIB::SetColor);

    for (int level = 0; level < kFilteredLevels; ++level)
        row(level).spin->installEventFilter(this);
    for (int level = 0; level < kDpiLevelCount; ++level) {
        levelGroup->addButton(row(level).toggle);
        row(level).slider->installEventFilter(this);
    }

    SlotSetStyle(0);

    // The caption beside the level-count list follows the language; without
    // loaded texts it keeps the form's own.
    const auto showLevelCountCaption = [this](int language) {
        const QString text = langText(g_langSensor, language, kSensorDpiLevelsText);
        if (!text.isEmpty())
            ui->label->setText(text);
    };
    connect(PostMsg::instance(), &PostMsg::SigAllLanguage, this, showLevelCountCaption);
    showLevelCountCaption(g_language);
}

SensorDPIB::~SensorDPIB()
{
    delete ui;
}

SensorDPIB::Row SensorDPIB::row(int level) const
{
    switch (level) {
    case 0: return {ui->BlueButtonA, ui->MA, ui->horizontalSliderA, ui->spinBoxA};
    case 1: return {ui->BrightRedButtonA, ui->MB, ui->horizontalSliderB, ui->spinBoxB};
    case 2: return {ui->RedButtonA, ui->MC, ui->horizontalSliderC, ui->spinBoxC};
    case 3: return {ui->YellowButtonA, ui->MD, ui->horizontalSliderD, ui->spinBoxD};
    case 4: return {ui->GreenButtonA, ui->ME, ui->horizontalSliderE, ui->spinBoxE};
    case 5: return {ui->PurpleButtonA, ui->MF, ui->horizontalSliderF, ui->spinBoxF};
    case 6: return {ui->LightBlueButtonA, ui->MG, ui->horizontalSliderG, ui->spinBoxG};
    default: return {ui->LightYellowButtonA, ui->MH, ui->horizontalSliderH, ui->spinBoxH};
    }
}

QString &SensorDPIB::levelColor(int level)
{
    if (level < 6)
        return *kSharedColors[level];
    return level == 6 ? levelColor6 : levelColor7;
}

bool SensorDPIB::deviceCheckPasses()
{
    // Only a user's edit asks the device; isDeviceOnline() gives the
    // offline notice itself unless the button page is filling its widgets,
    // and then the edit goes on (the setter will not send it anyway).
    if (!pageMayWrite() || isDeviceOnline())
        return true;
    return g_buttonPageRefreshing != 0;
}

QString SensorDPIB::spinStyle(const QString &border) const
{
    const QString box = "{background-color: rgb(" + spinBackColor + ");color: rgb(" + spinTextColor
                        + ";);border: 1px solid  rgb(" + border + ");}";
    return "QSpinBox" + box + "QSpinBox:hover" + box;
}

QString SensorDPIB::sliderStyle(int level, const QString &head, const QString &colour, const QString &tail) const
{
    // Levels A and B carry a blank after the colon; the sheets are the same.
    const QString subPage = level < 2 ? QStringLiteral(");} QSlider:sub-page:horizontal{background-color: ")
                                      : QStringLiteral(");} QSlider:sub-page:horizontal{background-color:");
    return head + pictureDir + "HuaKuai.png" + subPage + colour + tail;
}

// ---- Styles ---------------------------------------------------------------------

void SensorDPIB::SlotSetStyle(int)
{
    const QString dpiColor = joined(g_themeDPIColor);
    const QString dpiBorder = joined(g_themeDPIBorder);
    const QString comboText = joined(g_themeComboxTextColor);
    const QString comboSelect = joined(g_themeComboxSelectColor);
    const QString comboBack = joined(g_themeComboxBackGroundColor);
    const QString labelColor = joined(g_themeLabelColor);
    spinBackColor = joined(g_themeDPISpinBoxback);
    spinBorderColorB = spinBorderColor = joined(g_themeDPISpinBoxborder);
    spinSelectedBorderColor = joined(g_themeDPISpinBoxborderA);
    pictureDir = programDir() + "/Picture/Sensor/";
    const QString &P = pictureDir;

    ui->label->setStyleSheet("QLabel{color: rgb(" + labelColor + ";);}");
    ui->label_2->setStyleSheet("QLabel{color: rgb(" + labelColor + ";);}");

    ui->ChooseEvent->setStyleSheet(
        "QComboBox{padding-left:3px; text-align:left;color: rgb(" + comboText + "); border-image: url(" + P
        + "ComboboxBack.png" + ");}QComboBox{border: 2px  solid red;}QComboBox::drop-down:button{border-radius:5px; "
        "background:rgb(" + comboBack + ");} QComboBox::down-arrow{image: url(" + P + "Menu.png"
        + "); right: 8px; }QComboBox::down-arrow:on{ image: url(" + P + "Menu.png"
        + ");}QComboBox QAbstractItemView::item{height:25px;}QComboBox QAbstractItemView::item:hover {color: rgb("
        + dpiColor + "); }QComboBox QAbstractItemView::item:selected {color: rgb(" + dpiColor
        + "); }QComboBox QAbstractItemView {outline: 0px solid gray;border: 2px  solid red;color: rgb(" + comboText
        + "); background-image: url(" + P + "ComboboxTextBack.png" + ");selection-background-color: rgb("
        + comboSelect + ");border: 1px  solid  rgb(" + dpiBorder + "); }");
    QListView *view = new QListView();
    view->setStyleSheet("QListView::item:selected{background-color: rgb(" + comboSelect
                        + ");}QListView::item:hover{background-color: rgb(" + comboSelect + ");}");
    ui->ChooseEvent->setMaxVisibleItems(6);
    ui->ChooseEvent->setView(view);

    const QString sliderColor =
        rgbTriple(ConfigSettings::instance()->readStringList(QStringLiteral("Option"), QStringLiteral("SliderColor")),
                  joined(g_themeSliderColor));
    for (QSlider *s : {ui->horizontalSliderG, ui->horizontalSliderH})
        s->setStyleSheet(QString::fromLatin1(kHead24) + P + "HuaKuai.png"
                         + ");} QSlider:sub-page:horizontal{background-color: rgb(" + sliderColor
                         + ";);}QSlider:add-page:horizontal{background-color: rgb(255, 255, 255);}");

    spinTextColor = joined(g_themeLinEditColorSecond);
    const QString box = "{background-color: rgb(" + spinBackColor + ");color: rgb(" + spinTextColor
                        + ");border: 1px solid rgb(" + spinBorderColor + ");}";
    for (int level = 0; level < kDpiLevelCount; ++level) {
        QString sheet = "QSpinBox" + box + "QSpinBox:hover" + box;
        if (level == 1)
            sheet += QStringLiteral("QSpinBox:focus {    background-color: rgb(255,0,0);}");
        row(level).spin->setStyleSheet(sheet);
    }

    const QString indicators = "QCheckBox:indicator::checked {image: url(" + P + "LODCheck.png"
                               + ");}QCheckBox::indicator::unchecked {image: url(" + P + "LOD.png" + ");}";
    for (int level = 0; level < kDpiLevelCount; ++level) {
        const QString text = level < 6 ? spinBorderColorB + ")" : labelColor + ";)";
        row(level).toggle->setStyleSheet("QCheckBox{color: rgb(" + text + ";}" + indicators);
    }

    // The current level keeps its marked value box through a change of
    // colours, whichever level it is.
    const int selected = selectedLevelNumber - 1;
    if (selected >= 0 && selected < kDpiLevelCount && row(selected).toggle->isChecked())
        row(selected).spin->setStyleSheet(spinStyle(spinSelectedBorderColor));
}

void SensorDPIB::applyLevelStyle(int level)
{
    if (level < 0 || level >= kDpiLevelCount)
        return;
    const QString &c = levelColor(level);
    const bool framed = level != 2 && level < 6;
    row(level).colour->setStyleSheet(framed ? framedButton(c) : plainButton(c));
    if (level < 7)
        row(level).slider->setStyleSheet(
            sliderStyle(level, QString::fromLatin1(kHead24), c, QString::fromLatin1(kGreyTail)));
}

void SensorDPIB::applyAllLevelStyles()
{
    for (int level = 0; level < 6; ++level) {
        row(level).colour->setStyleSheet(framedButton(levelColor(level)));
        // Every level's sub-page without the blank here.
        row(level).slider->setStyleSheet(QString::fromLatin1(kHead24) + pictureDir + "HuaKuai.png"
                                         + ");} QSlider:sub-page:horizontal{background-color:" + levelColor(level)
                                         + QString::fromLatin1(kGreyTail));
    }
    ui->LightBlueButtonA->setStyleSheet(plainButton(levelColor6));
    ui->LightYellowButtonA->setStyleSheet(plainButton(levelColor7));
}

// ---- Loading and the owner's operations ---------------------------------------

void SensorDPIB::loadDpiSettings()
{
    ConfigSettings *config = ConfigSettings::instance();
    const QString group = selectedDriveGroup();

    // The product data give each colour as three numbers; the page keeps
    // every colour as "#rrggbb", the form its styles and the device take.
    const QStringList colours = config->readStringList(group, QStringLiteral("DPIColorA"));
    for (int i = 0; i + 2 < colours.size() && i / 3 < kDpiLevelCount; i += 3)
        levelColor(i / 3) = hexColour(colours.at(i).trimmed().toInt(), colours.at(i + 1).trimmed().toInt(),
                                      colours.at(i + 2).trimmed().toInt());

    const QStringList grades = config->readStringList(group, QStringLiteral("DPIGrade"));
    if (grades.size() < kDpiLevelCount)
        return;
    for (int level = 0; level < kDpiLevelCount; ++level) {
        const QString &c = levelColor(level);
        const Row r = row(level);
        const QString head = level == 2 ? headC(c) : QString::fromLatin1(level < 6 ? kHead24 : kHead14);
        r.colour->setStyleSheet(level < 6 ? framedButton(c) : plainButton(c));
        r.slider->setStyleSheet(head + pictureDir + "HuaKuai.png" + ");} QSlider:sub-page:horizontal{background-color:"
                                + c + QString::fromLatin1(level < 6 ? kGreyTail : kWhiteTail));
        setLevelValue(level, grades.at(level).trimmed());
    }
}

void SensorDPIB::setLevelValue(int level, QString dpi)
{
    if (level < 0 || level >= kDpiLevelCount)
        return;
    const int value = dpi.toInt();
    setSliderValue(value, level);
    row(level).spin->setValue(value);
}

void SensorDPIB::setSliderValue(int dpi, int level)
{
    if (level < 0 || level >= kDpiLevelCount)
        return;
    QSlider *slider = row(level).slider;
    const QSignalBlocker block(slider);
    slider->setValue(dpiToSliderPosition(dpi));
}

void SensorDPIB::setSpinBoxValue(int value, int level)
{
    if (level >= 0 && level < kDpiLevelCount)
        row(level).spin->setValue(value);
}

void SensorDPIB::setLevelColorText(int level, QString text)
{
    if (level >= 0 && level < kDpiLevelCount)
        levelColor(level) = text;
}

int SensorDPIB::dpiToSliderPosition(int dpi) const
{
    return dpiSliderPosition(dpi, currentDpiRanges());
}

void SensorDPIB::setLevelCount(int index)
{
    if (index < 0 || index >= kDpiLevelCount)
        return;
    for (int level = 0; level < kDpiLevelCount; ++level) {
        const Row r = row(level);
        for (QWidget *w : {static_cast<QWidget *>(r.colour), static_cast<QWidget *>(r.slider),
                           static_cast<QWidget *>(r.spin), static_cast<QWidget *>(r.toggle)})
            w->setVisible(level <= index);
    }
}

void SensorDPIB::clearChooseEvent()
{
    const QSignalBlocker block(ui->ChooseEvent);
    ui->ChooseEvent->clear();
}

void SensorDPIB::insertChooseEventItem(int index, QString text)
{
    ui->ChooseEvent->insertItem(index, QIcon(), "         " + text);
}

void SensorDPIB::blockSliderSignals(bool block)
{
    for (int level = 0; level < kDpiLevelCount; ++level)
        row(level).slider->blockSignals(block);
}

void SensorDPIB::setSliderEnabled(bool enabled)
{
    for (int level = 0; level < kDpiLevelCount; ++level)
        row(level).slider->setEnabled(enabled);
}

void SensorDPIB::setMaximum(int value)
{
    for (int level = 0; level < kDpiLevelCount; ++level)
        row(level).slider->setMaximum(value);
}

void SensorDPIB::setMinimum(int value)
{
    for (int level = 0; level < kDpiLevelCount; ++level)
        row(level).slider->setMinimum(value);
}

void SensorDPIB::setTitleText(QString text)
{
    ui->label->setText(text);
}

void SensorDPIB::setSubtitleText(QString text)
{
    ui->label_2->setText(text);
}

// ---- Colours -------------------------------------------------------------------------

void SensorDPIB::SetColor(QColor color)
{
    setLevelColor(hexColour(color.red(), color.green(), color.blue()));
}

void SensorDPIB::setLevelColor(QString text)
{
    const int level = colorLevel;
    if (level < 0 || level >= kDpiLevelCount)
        return;
    levelColor(level) = text;
    const int r = text.mid(1, 2).toInt(nullptr, 16);
    const int g = text.mid(3, 2).toInt(nullptr, 16);
    const int b = text.mid(5, 2).toInt(nullptr, 16);
    if (pageMayWrite(PageRefresh::ButtonPage))
        setDpiLevelColor(level, u8(r), u8(g), u8(b));
    applyLevelStyle(level);
}

QPoint SensorDPIB::dialogPosition(const QSize &dialog, int dy) const
{
    const QPoint g = mapToGlobal(QPoint(0, 0));
    return QPoint(g.x() + (width() - dialog.width()) / 2 - 10, g.y() + (height() - dialog.height()) / 2 + dy);
}

void SensorDPIB::chooseColor(int level)
{
    colorLevel = level;
    if (level >= 6) {
        colorDialog->show();
        return;
    }
    ColorSelect dialog(nullptr);
    dialog.move(dialogPosition(dialog.size(), -13));
    dialog.exec();
    if (dialog.accepted && !dialog.selectedColor.isEmpty())
        setLevelColor(dialog.selectedColor);
}

void SensorDPIB::on_BlueButtonA_clicked() { chooseColor(0); }
void SensorDPIB::on_BrightRedButtonA_clicked() { chooseColor(1); }
void SensorDPIB::on_RedButtonA_clicked() { chooseColor(2); }
void SensorDPIB::on_YellowButtonA_clicked() { chooseColor(3); }
void SensorDPIB::on_GreenButtonA_clicked() { chooseColor(4); }
void SensorDPIB::on_PurpleButtonA_clicked() { chooseColor(5); }
void SensorDPIB::on_LightBlueButtonA_clicked() { chooseColor(6); }
void SensorDPIB::on_LightYellowButtonA_clicked() { chooseColor(7); }

// ---- DPI values -----------------------------------------------------------------------

bool SensorDPIB::commitLevelValue(int value, int level)
{
    if (!deviceCheckPasses())
        return false;
    int v = value;
    if (level >= 0 && level < kFilteredLevels) {
        const DpiRangeTable ranges = currentDpiRanges();
        // A typed or wheeled value can lie beyond what the sensor does; the
        // sliders cannot, and neither may these.
        if (!ranges.ranges.isEmpty() && ranges.ranges.first().low <= ranges.ranges.last().high)
            v = qBound(ranges.ranges.first().low, v, ranges.ranges.last().high);
        const DpiSnap snap = snapToDpiRange(v, ranges);
        v = snap.dpi;
        if (snap.pageStep > 0)
            row(level).slider->setPageStep(snap.pageStep);
        row(level).spin->setValue(v);
    }
    if (g_configApplying == 0 && level >= 0 && level < kDpiLevelCount)
        LookupSensorDpi(level, v);
    return true;
}

void SensorDPIB::previewSlider(int level, int position)
{
    const DpiRangeTable ranges = currentDpiRanges();
    const DpiSnap snap = snapToDpiRange(dpiAtSliderPosition(position, ranges), ranges);
    if (snap.pageStep > 0)
        row(level).slider->setPageStep(snap.pageStep);
    row(level).spin->setValue(snap.dpi);
}

void SensorDPIB::releaseSlider(int level, int value)
{
    // A press on the groove pages toward the press and then jumps to it;
    // only the value it settles on is sent, once the slider says so.
    if (level == m_pressedSlider)
        return;
    if (!deviceCheckPasses())
        return;
    previewSlider(level, value);
    if (g_configApplying == 0)
        LookupSensorDpi(level, row(level).spin->value());
}

void SensorDPIB::on_horizontalSliderA_sliderMoved(int position) { previewSlider(0, position); }
void SensorDPIB::on_horizontalSliderB_sliderMoved(int position) { previewSlider(1, position); }
void SensorDPIB::on_horizontalSliderC_sliderMoved(int position) { previewSlider(2, position); }
void SensorDPIB::on_horizontalSliderD_sliderMoved(int position) { previewSlider(3, position); }
void SensorDPIB::on_horizontalSliderE_sliderMoved(int position) { previewSlider(4, position); }
void SensorDPIB::on_horizontalSliderF_sliderMoved(int position) { previewSlider(5, position); }
void SensorDPIB::on_horizontalSliderA_valueChanged(int value) { releaseSlider(0, value); }
void SensorDPIB::on_horizontalSliderB_valueChanged(int value) { releaseSlider(1, value); }
void SensorDPIB::on_horizontalSliderC_valueChanged(int value) { releaseSlider(2, value); }
void SensorDPIB::on_horizontalSliderD_valueChanged(int value) { releaseSlider(3, value); }
void SensorDPIB::on_horizontalSliderE_valueChanged(int value) { releaseSlider(4, value); }
void SensorDPIB::on_horizontalSliderF_valueChanged(int value) { releaseSlider(5, value); }
void SensorDPIB::on_horizontalSliderG_valueChanged(int value) { releaseSlider(6, value); }
void SensorDPIB::on_horizontalSliderH_valueChanged(int value) { releaseSlider(7, value); }

void SensorDPIB::wheelLevel(int level, int notches)
{
    const int v = row(level).spin->value();
    int w = dpiWheelValue(v, notches);
    // The wheel counts in tens; on a coarser sensor grid a turn up would be
    // fitted straight back to where it started. It then goes up the grid
    // by one step a notch, so turning up always raises the value.
    const DpiRangeTable ranges = currentDpiRanges();
    if (notches > 0 && snapToDpiRange(w, ranges).dpi <= v) {
        w = v;
        for (int i = 0; i < notches && w < kHighestDpi; ++i)
            w = dpiStepUp(w, ranges);
        w = qMin(w, kHighestDpi);
    }
    if (!commitLevelValue(w, level))
        return;
    setSliderValue(row(level).spin->value(), level);
}

void SensorDPIB::enterLevelValue(int level)
{
    AddDpiValue dialog(nullptr);
    dialog.setValue(row(level).spin->value());
    dialog.move(dialogPosition(dialog.size(), 100));
    dialog.exec();
    if (dialog.accepted && commitLevelValue(dialog.value, level))
        setSliderValue(row(level).spin->value(), level);
}

bool SensorDPIB::event(QEvent *event)
{
    if (event->type() != MySlider::kSliderPressedEvent)
        return QFrame::event(event);
    const int level = m_pressedSlider;
    m_pressedSlider = -1;
    if (level >= 0 && row(level).slider->value() != m_valueBeforePress)
        releaseSlider(level, row(level).slider->value());
    return true;
}

bool SensorDPIB::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (int i = 0; i < kDpiLevelCount; ++i) {
            if (watched == row(i).slider) {
                m_pressedSlider = i;
                m_valueBeforePress = row(i).slider->value();
            }
        }
    }
    int level = -1;
    for (int i = 0; i < kFilteredLevels; ++i) {
        if (watched == row(i).spin)
            level = i;
    }
    if (level < 0)
        return QFrame::eventFilter(watched, event);
    if (level < 2)
        qCDebug(lcDpiPage) << (level == 0 ? "a" : "b");
    qCDebug(lcDpiPage) << event->type();

    switch (event->type()) {
    case QEvent::Wheel:
        wheelLevel(level, static_cast<QWheelEvent *>(event)->angleDelta().y() / 8 / 15);
        return true;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            enterLevelValue(level);
        return true;
    default:
        return false;
    }
}

// ---- Current level and level count ---------------------------------------------------

void SensorDPIB::setCurrentLevel(int level)
{
    if (level < 0 || level >= kDpiLevelCount || !deviceCheckPasses())
        return;
    row(level).toggle->setChecked(true);
}

void SensorDPIB::toggleLevel(int level, bool checked)
{
    QSpinBox *spin = row(level).spin;
    if (!checked) {
        // G and H keep their marked border when they lose the selection.
        spin->setStyleSheet(spinStyle(level < 6 ? spinBorderColor : spinSelectedBorderColor));
        return;
    }
    selectedLevelNumber = level + 1;
    spin->setStyleSheet(spinStyle(spinSelectedBorderColor));
    if (pageMayWrite(PageRefresh::ButtonPage))
        setCurrentDpiLevel(u8(level));
}

void SensorDPIB::on_MA_toggled(bool checked) { toggleLevel(0, checked); }
void SensorDPIB::on_MB_toggled(bool checked) { toggleLevel(1, checked); }
void SensorDPIB::on_MC_toggled(bool checked) { toggleLevel(2, checked); }
void SensorDPIB::on_MD_toggled(bool checked) { toggleLevel(3, checked); }
void SensorDPIB::on_ME_toggled(bool checked) { toggleLevel(4, checked); }
void SensorDPIB::on_MF_toggled(bool checked) { toggleLevel(5, checked); }
void SensorDPIB::on_MG_toggled(bool checked) { toggleLevel(6, checked); }
void SensorDPIB::on_MH_toggled(bool checked) { toggleLevel(7, checked); }

void SensorDPIB::on_ChooseEvent_currentIndexChanged(int index)
{
    setLevelCount(index);
    // An emptied list reports index -1: that is no level count to send.
    if (!pageMayWrite(PageRefresh::ButtonPage) || index < 0 || index >= kDpiLevelCount)
        return;
    setDpiLevelCount(u8(index + 1));
}

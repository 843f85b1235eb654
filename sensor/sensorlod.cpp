#include "sensorlod.h"
#include "ui_SensorLOD.h"

#include "devicesetters.h"
#include "devicestate.h"
#include "sensorstyle.h"

#include <QSignalBlocker>

namespace {
constexpr int kAllEntries = 3;   // 0.7 mm, 1 mm, 2 mm
}

SensorLOD::SensorLOD(QWidget *parent) : QFrame(parent), ui(new Ui::SensorLOD)
{
    ui->setupUi(this);
    m_pictureDir = sensorPictureDir();
    const QString &P = m_pictureDir;
    const QString text = optionColorTriple("ComboxTextColor");
    ui->label->setStyleSheet(optionLabelStyle());
    ui->LOD->setStyleSheet(
        "QComboBox{color: rgb(" + text + ");border-image: url(" + P + "ComboboxBack.png" + ");padding-left:8px;}"
        "QComboBox::drop-down{border:0px;width:24px;}"
        "QComboBox::down-arrow{image: url(" + P + "Menu.png" + ");}"
        "QComboBox::down-arrow:on{image: url(" + P + "MenuClicked.png" + ");}"
        "QComboBox QAbstractItemView{color: rgb(" + text + ");background-color: rgb("
        + optionColorTriple("ComboxBackGroundColor") + ");selection-background-color: rgb("
        + optionColorTriple("ComboxSelectColor") + ");outline:0px;border-image: url(" + P + "ComboboxTextBack.png"
        + ");}");
    m_shownEntry = ui->LOD->currentIndex();
}

SensorLOD::~SensorLOD()
{
    delete ui;
}

void SensorLOD::setText(QString text)
{
    ui->label->setText(text);
}

void SensorLOD::setToolTip(QString text)
{
    ui->label->setToolTip(text);
}

void SensorLOD::setCurrentIndex(int option)
{
    if (ui->LOD->count() != kAllEntries) {
        showEntry(option);
        return;
    }
    if (option == 2)
        showEntry(0);
    else if (option == 0 || option == 1)
        showEntry(option + 1);
}

void SensorLOD::addShortOption()
{
    if (ui->LOD->count() != 2)
        return;
    const QSignalBlocker quiet(ui->LOD);
    ui->LOD->insertItem(0, QStringLiteral("0.7mm"));
    m_shownEntry = ui->LOD->currentIndex();
}

void SensorLOD::removeShortOption()
{
    if (ui->LOD->count() != kAllEntries)
        return;
    const QSignalBlocker quiet(ui->LOD);
    ui->LOD->removeItem(0);
    m_shownEntry = ui->LOD->currentIndex();
}

void SensorLOD::on_LOD_currentIndexChanged(int index)
{
    int value = index + 1;
    if (ui->LOD->count() == kAllEntries) {
        // 0.7 mm comes first but is stored as 3.
        static const int kValues[kAllEntries] = {3, 1, 2};
        if (index < 0 || index >= kAllEntries)
            return;
        value = kValues[index];
    }
    if (g_uiWriteEnabled != 0 && g_buttonPageRefreshing == 0 && setLiftOffDistance(u8(value)))
        m_shownEntry = index;
    else
        showEntry(m_shownEntry);
}

// Selects an entry without writing it.
void SensorLOD::showEntry(int index)
{
    const QSignalBlocker quiet(ui->LOD);
    ui->LOD->setCurrentIndex(index);
    m_shownEntry = ui->LOD->currentIndex();
}

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
    ui->label->setStyleSheet(optionLabelStyle());
    styleOptionComboBox(ui->LOD, m_pictureDir);
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
    if (pageMayWrite(PageRefresh::ButtonPage) && setLiftOffDistance(u8(value)))
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

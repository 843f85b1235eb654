#include "debouncetime.h"
#include "ui_DebounceTime.h"

#include "devicesetters.h"
#include "devicestate.h"
#include "globals.h"
#include "lessthree.h"
#include "sensorstyle.h"

#include <QSignalBlocker>

namespace {
// Times up to this one warn.
constexpr int kLastWarnedMs = 7;
} // namespace

DebounceTime::DebounceTime(QWidget *parent) : QFrame(parent), ui(new Ui::DebounceTime)
{
    ui->setupUi(this);
    m_pictureDir = programDir() + "/Picture/Buttoninterface/";
    styleOptionComboBox(ui->Debunce, m_pictureDir);
    m_shownIndex = ui->Debunce->currentIndex();
}

DebounceTime::~DebounceTime()
{
    delete ui;
}

void DebounceTime::setItemText(int index, QString unit)
{
    ui->Debunce->setItemText(index, QString::number(index) + unit);
}

void DebounceTime::on_Debunce_currentIndexChanged(int index)
{
    if (index < 0)
        return;
    if (!pageMayWrite() || !setDebounceTime(u8(index))) {
        // Not written: the box keeps showing what the mouse holds.
        const QSignalBlocker quiet(ui->Debunce);
        ui->Debunce->setCurrentIndex(m_shownIndex);
        return;
    }
    m_shownIndex = index;
    if (index <= kLastWarnedMs && g_buttonPageRefreshing == 0) {
        LessThree notice(nullptr);
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        notice.move(origin.x() + (width() - notice.width()) / 2 - 409,
                    origin.y() - 202 + (height() - notice.height()) / 2);
        notice.exec();
    }
}

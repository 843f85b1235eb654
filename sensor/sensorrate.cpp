#include "sensorrate.h"
#include "ui_SensorRate.h"

#include "sensorstyle.h"

#include <QButtonGroup>

namespace {
struct RowPlace {
    QPoint button;
    QPoint caption;
};
// Positions with all seven rates, and with the first four only.
const RowPlace kAllRates[7] = {
    {{103, 23}, {73, 0}},  {{169, 23}, {138, 0}}, {{234, 23}, {203, 0}}, {{299, 23}, {268, 0}},
    {{364, 23}, {333, 0}}, {{430, 23}, {398, 0}}, {{495, 23}, {463, 0}},
};
const RowPlace kLowRates[4] = {
    {{107, 22}, {75, 0}}, {{189, 22}, {152, 0}}, {{271, 22}, {234, 0}}, {{353, 22}, {316, 0}},
};
} // namespace

SensorRate::SensorRate(QWidget *parent)
    : QFrame(parent), ui(new Ui::SensorRate), m_group(new QButtonGroup(this))
{
    ui->setupUi(this);
    m_pictureDir = sensorPictureDir();
    m_buttons = {ui->Button125HZ, ui->Button250HZ, ui->Button500HZ, ui->Button1000HZ,
                 ui->Button2000HZ, ui->Button4000HZ, ui->Button8000HZ};
    m_captions = {ui->label_2, ui->label_3, ui->label_4, ui->label_5, ui->label_6, ui->label_7, ui->label_8};
    buildOptionRow(m_group, m_buttons, m_captions, ui->label);
}

SensorRate::~SensorRate()
{
    delete ui;
}

void SensorRate::setCurrentIndex(int index)
{
    selectOption(m_buttons, m_captions, index);
}

void SensorRate::setHighRatesVisible(bool visible)
{
    for (int i = 4; i < 7; ++i) {
        m_buttons.at(i)->setVisible(visible);
        m_captions.at(i)->setVisible(visible);
    }
    const int shown = visible ? 7 : 4;
    for (int i = 0; i < shown; ++i) {
        const RowPlace &place = visible ? kAllRates[i] : kLowRates[i];
        m_buttons.at(i)->move(place.button);
        m_captions.at(i)->move(place.caption);
    }
}

void SensorRate::updateRates(int rateClass)
{
    Q_UNUSED(rateClass);
}

void SensorRate::setText(QString text)
{
    ui->label->setText(text);
}

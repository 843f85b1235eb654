#include "sensorrate.h"
#include "ui_SensorRate.h"

#include "optionrow.h"
#include "sensorstyle.h"

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
constexpr int kFirstHighRate = 4;   // 2000 Hz
} // namespace

SensorRate::SensorRate(QWidget *parent) : RateSelector(parent), ui(new Ui::SensorRate)
{
    ui->setupUi(this);
    m_pictureDir = sensorPictureDir();
    const QList<QAbstractButton *> buttons{ui->Button125HZ,  ui->Button250HZ,  ui->Button500HZ, ui->Button1000HZ,
                                           ui->Button2000HZ, ui->Button4000HZ, ui->Button8000HZ};
    styleOptionRow(buttons, ui->label);
    m_row.reset(new OptionRow(
        this, buttons, {ui->label_2, ui->label_3, ui->label_4, ui->label_5, ui->label_6, ui->label_7, ui->label_8}));
}

SensorRate::~SensorRate()
{
    delete ui;
}

void SensorRate::setCurrentIndex(int index)
{
    m_row->select(index);
}

void SensorRate::setHighRatesVisible(bool visible)
{
    const QList<QWidget *> high{ui->Button2000HZ, ui->label_6, ui->Button4000HZ,
                                ui->label_7, ui->Button8000HZ, ui->label_8};
    for (QWidget *w : high)
        w->setVisible(visible);
    const QList<QWidget *> buttons{ui->Button125HZ, ui->Button250HZ, ui->Button500HZ, ui->Button1000HZ,
                                   ui->Button2000HZ, ui->Button4000HZ, ui->Button8000HZ};
    const QList<QWidget *> captions{ui->label_2, ui->label_3, ui->label_4, ui->label_5,
                                    ui->label_6, ui->label_7, ui->label_8};
    const int shown = visible ? 7 : kFirstHighRate;
    for (int i = 0; i < shown; ++i) {
        const RowPlace &place = visible ? kAllRates[i] : kLowRates[i];
        buttons.at(i)->move(place.button);
        captions.at(i)->move(place.caption);
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

#ifndef SENSORRATEB_H
#define SENSORRATEB_H

// The polling rate as a row of seven check boxes, 125 Hz to 8K, after a
// title; the check box shows the choice. The high rates shown follow the
// rate class of the device's link. A click writes the chosen rate at once.

#include "rateselector.h"

namespace Ui {
class SensorRateB;
}
class SensorRateB : public RateSelector
{
    Q_OBJECT
public:
    explicit SensorRateB(QWidget *parent = nullptr);
    ~SensorRateB() override;

    // The title.
    void setText(QString text);
    // Rate class 0: up to 1K; 1: up to 4K; 2: up to 2K; 3: up to 8K. Any
    // other class changes nothing.
    void updateRates(int rateClass);

public slots:
    // Rebuilds the looks in the theme's label colour (the argument is not
    // used).
    void SlotSetStyle(int index);


private:
    Ui::SensorRateB *ui;
    QString m_pictureDir;
};

#endif // SENSORRATEB_H

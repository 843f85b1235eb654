#ifndef STRAIGHTLINE_H
#define STRAIGHTLINE_H

// The angle-snapping switch of the device page: whether the device
// straightens nearly straight movements. It writes nothing yet.

#include "sensorswitch.h"

namespace Ui {
class StraightLine;
}

class StraightLine : public SensorSwitch
{
    Q_OBJECT
public:
    explicit StraightLine(QWidget *parent = nullptr);
    ~StraightLine() override;

    // The check box text as given.
    void setText(QString text);

private:
    Ui::StraightLine *ui;
};

#endif // STRAIGHTLINE_H

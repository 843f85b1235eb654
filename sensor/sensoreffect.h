#ifndef SENSOREFFECT_H
#define SENSOREFFECT_H

// The DPI light effect with a combo box for its mode: its entries are
// off, steady and breathing, the entry index being the mode. Styled once
// from the product-wide colours.

#include "sensoreffectframe.h"

namespace Ui {
class SensorEffect;
}

class SensorEffect : public SensorEffectFrame
{
    Q_OBJECT
public:
    explicit SensorEffect(QWidget *parent = nullptr);
    ~SensorEffect() override;

    // The text of the combo entry `index`.
    void setModeText(int index, QString text);

public slots:
    void on_Model_currentIndexChanged(int index);

protected:
    void showModeControl(int mode) override;

private:
    Ui::SensorEffect *ui;
};

#endif // SENSOREFFECT_H

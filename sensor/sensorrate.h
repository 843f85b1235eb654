#ifndef SENSORRATE_H
#define SENSORRATE_H

// The polling-rate row of the device page: seven options from 125 Hz to
// 8000 Hz, each a round button under its caption. The page marks the rate
// the device reports; the widget itself writes nothing yet.

#include <QFrame>
#include <QList>

namespace Ui {
class SensorRate;
}
class QButtonGroup;
class QLabel;
class QToolButton;

class SensorRate : public QFrame
{
    Q_OBJECT
public:
    explicit SensorRate(QWidget *parent = nullptr);
    ~SensorRate() override;

    // Index 0..6 (125 .. 8000 Hz): checks its button and gives its caption
    // the selected look; any other index changes nothing.
    void setCurrentIndex(int index);
    // Shows or hides 2000, 4000 and 8000 Hz and spaces the row for it.
    void setHighRatesVisible(bool visible);
    // The rate class of the device's link; nothing depends on it here.
    void updateRates(int rateClass);
    // The title.
    void setText(QString text);

private:
    Ui::SensorRate *ui;
    QString m_pictureDir;
    QButtonGroup *m_group;
    QList<QToolButton *> m_buttons;
    QList<QLabel *> m_captions;
};

#endif // SENSORRATE_H

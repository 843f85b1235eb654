#ifndef STOPCLOSETIMEB_H
#define STOPCLOSETIMEB_H

// A sleep time as a slider with a read-only value box: positions 1 and 2
// are 10 and 30 seconds, positions 3 to 11 are 1, 5, 10, ... 40 minutes.
// It only shows a time; nothing here writes to the device.

#include <QFrame>

namespace Ui {
class StopCloseTimeB;
}

class StopCloseTimeB : public QFrame
{
    Q_OBJECT
public:
    explicit StopCloseTimeB(QWidget *parent = nullptr);
    ~StopCloseTimeB() override;

    // Slider position index + 1, with the value box to match.
    void setCurrentIndex(int index);
    // Index 0 gives the seconds unit, index 5 the minutes unit: the option
    // caption without its figures ("10 s" gives " s"). Others are ignored.
    void setItemText(int index, QString text);

private slots:
    void on_StopClose_sliderMoved(int position);
    void on_StopClose_valueChanged(int value);

private:
    void showPosition(int position);

    Ui::StopCloseTimeB *ui;
    QString m_pictureDir;
    QString m_secondsUnit;
    QString m_minutesUnit;
};

#endif // STOPCLOSETIMEB_H

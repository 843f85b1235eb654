#ifndef SENSORLOD_H
#define SENSORLOD_H

// The lift-off distance as a combo box under a title: "1mm" and "2mm",
// and "0.7mm" first for devices that offer it. The stored values 1, 2, 3
// mean 1 mm, 2 mm, 0.7 mm. Choosing an entry writes it at once; filling
// the box from the device never does.

#include <QFrame>

namespace Ui {
class SensorLOD;
}

class SensorLOD : public QFrame
{
    Q_OBJECT
public:
    explicit SensorLOD(QWidget *parent = nullptr);
    ~SensorLOD() override;

    // The title and its tool tip.
    void setText(QString text);
    void setToolTip(QString text);
    // Option = stored value - 1. With 0.7 mm offered, option 2 is the first
    // entry and options 0 and 1 follow it; otherwise the option is the
    // entry. Other options are ignored.
    void setCurrentIndex(int option);
    // Offers 0.7 mm (first entry) when only 1 mm and 2 mm are offered; takes
    // it away again when all three are.
    void addShortOption();
    void removeShortOption();

private slots:
    void on_LOD_currentIndexChanged(int index);

private:
    void showEntry(int index);

    Ui::SensorLOD *ui;
    QString m_pictureDir;
    int m_shownEntry = 0;   // the entry the device holds as far as we know
};

#endif // SENSORLOD_H

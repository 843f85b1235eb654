#ifndef SENSORLODB_H
#define SENSORLODB_H

// The lift-off distance row of the device page: 0.7 mm, 1 mm and 2 mm as
// round buttons under their captions. Option index = stored value - 1
// (1 mm, 2 mm, 0.7 mm). A click writes the chosen distance at once.

#include <QFrame>

#include <memory>

namespace Ui {
class SensorLODB;
}
class OptionRow;

class SensorLODB : public QFrame
{
    Q_OBJECT
public:
    explicit SensorLODB(QWidget *parent = nullptr);
    ~SensorLODB() override;

    // Option 0..2: checks its button and marks its caption; others
    // ignored. Never writes.
    void setCurrentIndex(int option);
    // The title.
    void setText(QString text);
    // The row has no place for a description.
    void setSecondText(QString text);

private slots:
    void on_MM0_clicked(bool checked);
    void on_MM1_clicked(bool checked);
    void on_MM2_clicked(bool checked);

private:
    void optionClicked(int option, bool checked);

    Ui::SensorLODB *ui;
    QString m_pictureDir;
    std::unique_ptr<OptionRow> m_row;
};

#endif // SENSORLODB_H

#ifndef SENSORLODB_H
#define SENSORLODB_H

// The lift-off distance row of the device page: 0.7 mm, 1 mm and 2 mm as
// round buttons under their captions. Option index = stored value - 1
// (1 mm, 2 mm, 0.7 mm). The widget writes nothing yet.

#include <QFrame>
#include <QList>

namespace Ui {
class SensorLODB;
}
class QButtonGroup;
class QLabel;
class QToolButton;

class SensorLODB : public QFrame
{
    Q_OBJECT
public:
    explicit SensorLODB(QWidget *parent = nullptr);
    ~SensorLODB() override;

    // Option 0..2: checks its button and marks its caption; others ignored.
    void setCurrentIndex(int option);
    // The title.
    void setText(QString text);
    // The row has no place for a description.
    void setSecondText(QString text);

private:
    Ui::SensorLODB *ui;
    QString m_pictureDir;
    QButtonGroup *m_group;
    QList<QToolButton *> m_buttons;   // by option index
    QList<QLabel *> m_captions;       // by option index
};

#endif // SENSORLODB_H

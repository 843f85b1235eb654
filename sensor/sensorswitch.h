#ifndef SENSORSWITCH_H
#define SENSORSWITCH_H

// What the on/off switches of the device page share: one check box that
// shows an option of the device, drawn with the folder's check pictures
// in the theme's label colour.

#include <QFrame>

class QCheckBox;

class SensorSwitch : public QFrame
{
    Q_OBJECT
public:
    void setChecked(bool checked);
    // The switch has no place for a description.
    void setSecondText(QString text);

public slots:
    void SlotSetStyle(int index);

protected:
    explicit SensorSwitch(QWidget *parent);
    // Takes the form's check box; call once the form is built.
    void attach(QCheckBox *box);

    QCheckBox *m_box = nullptr;
    QString m_pictureDir;
};

#endif // SENSORSWITCH_H

#ifndef SENSORSWITCH_H
#define SENSORSWITCH_H

// What the on/off switches of the sensor options share: one control (a
// check box, or a tool button drawn as an on/off picture beside a label)
// that shows an option of the device and writes it when the user clicks.
// The control shows only what the device holds: a click that does not
// reach the device flips it back.

#include "flashdatamap.h"

#include <QFrame>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QToolButton;

class SensorSwitch : public QFrame
{
    Q_OBJECT
public:
    // From the page: the control's state; never writes.
    void setChecked(bool checked);
    // The check box switches have no place for a description; the picture
    // switches show it as their label's tool tip.
    void setSecondText(QString text);

public slots:
    // Rebuilds the looks in the theme's label colour (the argument is not
    // used). Only the switches that follow the theme are connected to it.
    void SlotSetStyle(int index);

protected:
    // The device setter of the switch's option, given 1 for on, 0 for off.
    using Writer = bool (*)(u8);

    explicit SensorSwitch(QWidget *parent);
    // Takes the form's check box and follows the theme from now on; call
    // once the form is built.
    void attachCheckBox(QCheckBox *box, Writer write);
    // Takes the form's label and picture button; the button shows
    // `offPicture` or `onPicture` of the folder. Only a switch that
    // `followsTheme` changes its colours with the theme.
    void attachToggle(QLabel *label, QToolButton *button, Writer write, const char *offPicture,
                      const char *onPicture, bool followsTheme);
    // The user's click: writes 1 or 0 while writing is enabled.
    void switchClicked(bool checked);

    QString m_pictureDir;

private:
    void applyStyle(const QString &color);

    QAbstractButton *m_control = nullptr;
    QLabel *m_label = nullptr;
    Writer m_write = nullptr;
    QString m_offPicture, m_onPicture;
};

#endif // SENSORSWITCH_H

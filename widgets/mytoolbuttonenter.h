#ifndef MYTOOLBUTTONENTER_H
#define MYTOOLBUTTONENTER_H

#include <QToolButton>

// A device card button of the device list page, named "btn" followed by the
// device index. When the mouse enters it, the device list page refreshes
// that device's icon.
class mytoolButtonEnter : public QToolButton
{
    Q_OBJECT
public:
    // The device list page registers its refresh here
    // (DialogChange::updateDeviceIcon); until then entering does nothing.
    typedef void (*DeviceIconUpdater)(int deviceIndex);
    static void setDeviceIconUpdater(DeviceIconUpdater updater);

    explicit mytoolButtonEnter(QWidget *parent = nullptr);

protected:
    void enterEvent(QEvent *e) override;
    void leaveEvent(QEvent *e) override;
};

#endif // MYTOOLBUTTONENTER_H

#ifndef DIALOGCHANGE_H
#define DIALOGCHANGE_H

// The device list page: one card per found device, three cards to a page,
// rebuilt on every USB change the device library reports. Choosing a card
// loads the device's colour set, runs the pairing and firmware checks where
// they apply and opens the device page.
//
// What the page shows is the device core's: the enumeration, the lists of
// the devices found and shown and which of them get a card
// (device/deviceenumeration.h); the static functions below hand their work
// to it. The page's card widgets are in devicelistcards.h. All of it is
// touched on the GUI thread only.

#include "flashdatamap.h"

#include <QString>
#include <QVector>
#include <QWidget>

namespace Ui {
class DialogChange;
}

class DialogChange : public QWidget
{
    Q_OBJECT
public:
    explicit DialogChange(QWidget *parent = nullptr);
    ~DialogChange() override;

    // The list's device-change callback (devicewatch.h). The library calls
    // it on a thread of its own; the work is queued to the GUI thread. The
    // result means nothing to the library.
    static int onUsbChanged();
    // The work of a device change: repair button, the core's enumeration,
    // cards. GUI thread only; does nothing while no page exists.
    static void handleUsbChanged();
    // Appends every device found under vid and one of pids to both lists
    // (findDevicesByPids).
    static void findDevicesByPid(QString vid, QVector<QString> pids);
    // Fills cid, mid, linkType, isWired, driveIndex and online from the
    // device; true when the record got a driveIndex (identifyFoundDevice).
    static bool identifyDevice(DeviceAllInfo &info);
    // Refreshes online state and sub-device bytes of a shown entry
    // (refreshShownDevice).
    static void refreshDeviceEntry(int index);
    // Deletes the cards and builds them again from g_shownDevices, once the
    // core has decided which devices get one (decideShownDevices).
    static void rebuildDeviceButtons();
    // Refreshes one shown device and its card; an index outside the list does
    // nothing. Always true.
    static bool updateDeviceIcon(int index);

public slots:
    void SlotAllLanguage(int index);
    void SlotSameLanguageA(int index);
    void SlotUpDateButton(bool IsHide);
    void SlotEnterKey();
    void WindowClosedA();
    void WindowMinA();

    // A card's clicked(): the device index is in the sender's object name.
    void slotButtonClicked();

    void on_LeftButton_clicked();
    void on_RightButton_clicked();
    void on_CloseButton_clicked();
    void on_Repair_clicked();
    void on_label_linkHovered(QString link);
    void on_CloseButton_2_clicked();
    void on_NewHong_clicked();
    void on_NoApear_clicked(bool checked);

protected:
    void changeEvent(QEvent *event) override;

private:
    // Repair button and the two top texts by the registry's failure record.
    void showRepairState(bool failureRecorded);
    // Arrows for the card page shown: left on every page but the first,
    // right on every page but the last.
    void updateArrows();
    // The selection of a device D (a copy taken when the card was clicked).
    enum class CheckOutcome { Stop, GoOn };
    CheckOutcome runDeviceCheck(const DeviceAllInfo &device);
    void openPairingDialog(const DeviceAllInfo &device);
    void openDevice(const DeviceAllInfo &device);
    QPoint centredPosition(const QSize &dialogSize) const;

    // Old cards are hidden and deleted later. While a card's click is being
    // handled (its dialogs run nested event loops in which the list may be
    // rebuilt) they are kept until the handler has returned, so the button
    // under the click is never destroyed beneath it.
    static void retireWidget(QWidget *widget);
    static void releaseRetiredWidgets();
    static int s_selectionDepth;
    // True during openDevice's pause.
    static bool s_openingDevice;

    Ui::DialogChange *ui;
};

#endif // DIALOGCHANGE_H

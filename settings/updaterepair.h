#ifndef UPDATEREPAIR_H
#define UPDATEREPAIR_H

// The firmware update and repair dialog. It repairs a mouse or receiver
// whose last update failed (the failure record UpdateFailInfo names it) and
// runs an update of receiver and mouse firmware with a progress bar.
//
// Instances: the settings page keeps one for the whole run
// (g_updateRepairDialog), which the device list's repair button shows; the
// button page keeps a hidden one; the main window's key handler builds one
// for an automatic update. Every instance follows the hub's SigAutoRepair,
// SigAutoRepairProgress, SigProgress, SigRepairCheckUpdate and
// SigAllLanguage.
//
// The settings page's update engine drives its instance through resetView,
// setStateText, showReadyView, showErrorView and showUpdatingView and feeds
// it through SigProgress(value, kind): kind 0 sets the bar to value, 1 the
// failure view, 2 the success view, 3 hides cancel, 4 hides cancel and
// empties the bar, 5 the failure view with the bar at 50, 6 the failure
// view with the bar as it is.

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>

namespace Ui {
class UpDateRepair;
}

class UpDateRepair : public QDialog
{
    Q_OBJECT
public:
    explicit UpDateRepair(QWidget *parent = nullptr);
    ~UpDateRepair() override;

    // The dialog's own image search: like FormSetting::isNewFirmwareInBin,
    // without the numeric stop. The chosen image goes to g_repairImageList.
    static bool isNewFirmwareInBin(unsigned char deviceCode, QString version, QString modelName,
                                   unsigned char cid, unsigned char mid);

    // Start view: both buttons shown with their texts, message cleared,
    // progress at 0 and hidden; Return on the action button, Escape on
    // cancel.
    void resetView();
    // The repair or update can start: the action button offers it.
    void showReadyView();
    // The text of ToolText_2 (set first with setStateText) says why nothing
    // can start; the action button becomes the OK button that closes.
    void showErrorView();
    // An update runs: only the state text and the progress bar show.
    void showUpdatingView();
    void setStateText(QString text);
    QString stateText() const;

    // An automatic update of the single shown device (the main window's key
    // handler, after the user agreed): takes the run's parameters from that
    // device and starts the run at once. The caller then runs exec().
    void startAutoUpdate(int index);
    // True when the failure record and the attached devices allow a repair;
    // otherwise the reason is shown where there is one.
    bool checkRepair();
    // Starts the update run (receiver image first when there is one).
    void runRepairUpdate();

    // The updater's progress callback. It runs on the library's thread: the
    // event is copied and handled on the GUI thread, in order.
    static void upgradeProgressCallback(const unsigned char *event);
    // Hands the receiver id of the receiver to every mouse on its cable.
    static unsigned char rePairMouse();
    static void scaleFonts(QWidget *widget, double factor);

    // Multiplies the dialog's font size by its device pixel ratio. Not a
    // slot: no button of the form is named for it.
    void on_pushButton_clicked();

    // Showing and hiding the settings page's instance (g_updateRepairDialog)
    // keeps g_updateDialogShown, which the device link reads.
    void setVisible(bool visible) override;

    bool autoUpdate() const { return m_autoUpdate != 0; }
    int failedDeviceCode() const { return m_failedDeviceCode; }
    bool repairReady() const { return m_repairReady != 0; }

public slots:
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void SlotAutoRepair(int index);
    void SlotAutoRepairProgress(int index);
    void SlotAllLanguage(int index);
    void SlotProgress(int schedue, int Discrib);
    void on_NewHong_2_clicked();
    void SlotRepairCheckUpdate();
    // Escape and the window's close go the way of the cancel button, so
    // nothing closes the dialog while the updater writes.
    void reject() override;

private:
    void setShortcuts();
    void closeSequence();
    void finishAndClose();
    void showFailureView();
    bool fillAutoUpdateParameters();

    Ui::UpDateRepair *ui;
    QString m_pictureDir;
    unsigned char m_autoUpdate = 0;
    int m_failedDeviceCode = 0;
    QString m_receiverModel;
    QString m_driveGroup;
    unsigned char m_repairReady = 0;
    QString m_textUpdateNotMove, m_textUpDateSuccess, m_textUpDateFail;
    QString m_textNewHong2, m_textCancel, m_textNoDevice, m_textSameDevice, m_textNoRecieve, m_textNoUSB;
    QString m_textFileError, m_textMultiMouse, m_textMultiDongle, m_textReadyUpdate, m_textRepairDevice;
};

// State of the one repair or update run, shared by every instance. Written
// on the GUI thread only (the updater's events are handled there).
extern unsigned char g_repairUpgradeStarted;   // the updater reports; no closing
extern int g_repairStage;                      // 0 receiver image, 1 mouse image
extern int g_repairImageCount;                 // 2 when both images take part
extern unsigned char g_repairProgressSplit;    // the mouse fills the bar's upper half
extern int g_repairFailedIsMouse;              // the failure record names the mouse
extern int g_repairReceiverClass;              // 0, 1, 2, 4 or 8
extern int g_repairCid;
extern int g_repairMid;
extern QString g_repairMouseModel;
extern QStringList g_repairFailInfo;
extern unsigned char g_repairAutoRun;          // the run is an automatic update
// The image the updater is reading, held until its run has ended.
extern QByteArray g_repairRunningImage;

// Puts the run's state back to its start values (tests).
void resetUpdateRepairState();

struct DeviceAllInfo;
// What the checks before a device is opened compare: the mouse version kept
// for the model (empty for a mouse never paired on this computer; then
// nothing is compared), and whether "bin" holds a newer image for the mouse
// and, by the model its receiver link names, for the receiver (a receiver
// without a model name counts as up to date). The mouse's image, if any,
// goes to g_firmwareImageList as FormSetting::isNewFirmwareInBin leaves it.
struct DeviceFirmwareCheck {
    QString mouseVersion;
    bool mouseNewer = false;
    bool receiverNewer = false;
};
DeviceFirmwareCheck checkDeviceFirmware(const DeviceAllInfo &device);

#endif // UPDATEREPAIR_H

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
// The dialog is a view of the update engine (device/updateengine.h): its
// checks and its run are the engine's, it keeps nothing of them, and it
// closes only while no run is in progress. The settings page drives its
// instance through resetView, setStateText, showReadyView, showErrorView
// and showUpdatingView; the engine feeds every instance through
// SigProgress(value, kind), the kinds of device/updateview.h: the bar, or
// an end view that names the device of code `value`.

#include "updateengine.h"

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
    // A run's end view closes: the settings page learns whether the devices
    // are up to date, or the device page goes back to the list.
    void showRunEnd();
    void finishAndClose();
    // The text of an end view, naming the device.
    QString endText(RunOutcome outcome, int deviceCode) const;
    void showEndView(int kind, int deviceCode);
    // The dialog's text for a reason the engine gives; shown in the error view.
    void showReason(UpdateReason reason);

    Ui::UpDateRepair *ui;
    QString m_pictureDir;
    // This instance is the main window's automatic update: its checks are
    // that update's.
    unsigned char m_autoUpdate = 0;
    QString m_textUpdateNotMove, m_textUpDateSuccess, m_textUpDateFail;
    QString m_textNewHong2, m_textCancel, m_textNoDevice, m_textSameDevice, m_textNoRecieve, m_textNoUSB;
    QString m_textFileError, m_textMultiMouse, m_textMultiDongle, m_textReadyUpdate, m_textRepairDevice;
    QString m_textStillWriting, m_textForeignMouse;
};

#endif // UPDATEREPAIR_H

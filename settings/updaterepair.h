#ifndef UPDATEREPAIR_H
#define UPDATEREPAIR_H

// The firmware update and repair dialog. The settings page keeps one for the
// whole run (g_updateRepairDialog); the device list page shows it from its
// repair button, the device link asks whether it is shown.
//
// What exists so far: the views, the texts and the device check against the
// registry's failure record (UpdateFailInfo). The update run itself (the
// action button, progress and the failure record's upkeep) belongs to the
// firmware update work still to come.

#include <QDialog>
#include <QString>

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
    // but an image whose version differs only as text is still chosen. The
    // chosen image goes to g_repairImageList.
    static bool isNewFirmwareInBin(unsigned char deviceCode, QString version, QString modelName,
                                   unsigned char cid, unsigned char mid);

    // Start view: both buttons shown with their texts, message cleared,
    // progress at 0 and hidden; Return on the action button, Escape on
    // cancel.
    void resetView();
    // The repair can start: the action button offers it.
    void showReadyView();
    // The text of ToolText_2 (set first with setStateText) is the reason.
    void showErrorView();
    void setStateText(QString text);

    // Marks the dialog as running an automatic update; the caller then runs
    // exec().
    void startAutoUpdate(int index);
    // True when the failure record and the attached devices allow a repair;
    // otherwise the reason is shown where there is one.
    bool checkRepair();

    bool autoUpdate() const { return m_autoUpdate; }
    int failedDeviceCode() const { return m_failedDeviceCode; }
    QString stateText() const;

public slots:
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void SlotAllLanguage(int index);
    void SlotRepairCheckUpdate();

private:
    void setShortcuts();

    Ui::UpDateRepair *ui;
    QString m_pictureDir;
    bool m_autoUpdate = false;
    int m_autoUpdateIndex = 0;
    int m_failedDeviceCode = 0;
    bool m_repairReady = false;
    QString m_receiverModel;
    QString m_driveGroup;
    QString m_textNewHong2, m_textCancel, m_textNoDevice, m_textSameDevice, m_textNoRecieve, m_textNoUSB;
    QString m_textFileError, m_textMultiMouse, m_textMultiDongle, m_textReadyUpdate, m_textRepairDevice;
};

// Fields of the failure record and what the check found, for the update run.
extern int g_repairReceiverClass;
extern int g_repairCid;
extern int g_repairMid;
extern QString g_repairMouseModel;
extern QStringList g_repairFailInfo;
extern int g_repairImageCount;
extern int g_repairFailedIsMouse;

#endif // UPDATEREPAIR_H

#ifndef UPDATEREPAIR_H
#define UPDATEREPAIR_H

// The firmware update and repair dialog. The settings page keeps one for the
// whole run (g_updateRepairDialog); the device link asks whether it is shown.

#include <QDialog>
#include <QString>

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

    // Back to the start view.
    void resetView();

private:
    bool m_autoUpdate = false;
};

#endif // UPDATEREPAIR_H

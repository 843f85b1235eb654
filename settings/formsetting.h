#ifndef FORMSETTING_H
#define FORMSETTING_H

// The settings page: the interface language, the firmware versions of mouse
// and receiver, the firmware check, and the receiver options the device link
// reports. It owns the update and repair dialog (g_updateRepairDialog) for
// the whole run.

#include "flashdatamap.h"

#include <QString>
#include <QWidget>

#include <memory>

class UpDateRepair;

namespace Ui {
class FormSetting;
}

class FormSetting : public QWidget
{
    Q_OBJECT
public:
    explicit FormSetting(QWidget *parent = nullptr);
    ~FormSetting() override;

    // True when "bin" holds an image for this device (code, CID, MID, model
    // name) of another version than `version`; an empty version makes any
    // fitting image new. The chosen image goes to g_firmwareImageList.
    static bool isNewFirmwareInBin(unsigned char deviceCode, QString version, QString modelName,
                                   unsigned char cid, unsigned char mid);
    // The same answer without keeping the image; false for an empty version.
    static bool isNewFirmwareAvailable(unsigned char deviceCode, QString version, QString modelName,
                                       unsigned char cid, unsigned char mid);
    // 1 when a new image exists for the selected device's mouse (210) or, by
    // the receiver class 1, 2, 4 or 8, for its receiver (211); else 0.
    static int checkFirmwareUpdate(int deviceCode, QString version, int receiverClass);
    // True when the image's USB id text names a device of g_deviceList.
    static bool isImageForListedDevice(QString path);

    // What the page shows, for the parts of the page still to come.
    QString mouseVersionText() const { return m_mouseVersionText; }
    QString receiverVersionText() const { return m_receiverVersionText; }
    bool receiverUpdateWaiting() const { return m_receiverUpdateWaiting; }
    bool updateAvailable() const { return m_updateAvailable; }
    bool longRangeMode() const { return m_longRangeMode; }

    // Language choice from the page: stores it, sets g_language and tells
    // every window (SigAllLanguage, then SigLanguageSameA for the frame's
    // language box).
    void chooseLanguage(int index);

public slots:
    void SlotAllLanguage(int index);
    void SlotSetStyle(int index);
    void SlotGetRealVer();
    void SlotLabelText(int index, QString Text);
    void SlotFormB();
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();
    void SetVer(int index);
    void SlotCheckUpdate();
    void SlotButtonclick();
    void SlotLabelTextB(QString TextA, QString Text);
    void SlotRGBValue(DongleRGB *Rgb);
    void SlotLongRangeMode(bool Select);
    void SlotForm();
    void SlotFormResetForm();
    void SlotUpdateFrame(bool IsVis);
    void SlotLanguageSameB(int index);

protected:
    // A press on the page is swallowed (it must not start a window drag).
    void mousePressEvent(QMouseEvent *event) override;

private:
    // The page's own update check for the selected device.
    bool runUpdateCheck();
    void showVersions();
    void highlightLanguage(int index);

    std::unique_ptr<Ui::FormSetting> ui;

    QString m_mouseVersionText;
    QString m_receiverVersionText;
    bool m_receiverUpdateWaiting = false;
    bool m_updateAvailable = false;
    bool m_longRangeMode = false;
    bool m_frameVisible = false;
};

// Result of the device page's firmware check for the mouse (the receiver's
// is g_update211Available).
extern u8 g_update210Available;

#endif // FORMSETTING_H

#ifndef FORMSETTING_H
#define FORMSETTING_H

// The settings page: the interface language, the firmware versions of
// receiver and mouse, and the firmware update button with the engine behind
// it. The page owns the update and repair dialog (g_updateRepairDialog), the
// update notice and four dialogs it keeps but never shows (receiver LED,
// the two device screen dialogs, the lighting editor).
//
// The firmware update itself is the engine's (device/updateengine.h), which
// ticks its run on check timers of its own and compares the images with the
// versions the device core knows: the page shows those versions and the
// update button, starts the engine's run and shows the end of each step.
//
// The option handlers (start with the system, start minimised, receiver
// light and long-range mode, support page, mouse settings, close) have no
// control on this form; they act whenever they are called.

#include "devicesearch.h"
#include "flashdatamap.h"
#include "inputpica.h"
#include "inputpicb.h"
#include "ledinfo.h"
#include "lightmodeset.h"
#include "updateengine.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class QButtonGroup;
class QTimer;
class UpDateRepair;
class UpDateWarning;

namespace Ui {
class FormSetting;
}

class FormSetting : public QWidget
{
    Q_OBJECT
public:
    explicit FormSetting(QWidget *parent = nullptr);
    ~FormSetting() override;

    // ---- Images (the searches of device/firmwareimage.h) ----
    // True when "bin" holds an image for this device (code, CID, MID, model
    // name) of another version than `version`; an empty version makes any
    // fitting image new. The chosen image goes to g_firmwareImageList.
    static bool isNewFirmwareInBin(unsigned char deviceCode, QString version, QString modelName,
                                   unsigned char cid, unsigned char mid);
    // The same answer without keeping the image; false for an empty version.
    static bool isNewFirmwareAvailable(unsigned char deviceCode, QString version, QString modelName,
                                       unsigned char cid, unsigned char mid);
    // 1 when a new image exists for the selected device's mouse
    // (kMouseDeviceCode) or, by its receiver class (linktable.h), for its
    // receiver (kReceiverDeviceCode); else 0: firmwareUpdateAvailable() of
    // device/updatedecision.h.
    static int checkFirmwareUpdate(int deviceCode, QString version, int receiverClass);
    // True when the image's USB id text names a device of g_deviceList.
    static bool isImageForListedDevice(QString path);

    // ---- The update ----
    // What the update dialog offers for the listed devices and the failure
    // record: true when an update or a repair can start; otherwise the
    // dialog shows why not.
    bool ChechIsUpDate();
    // One step of the armed run of one device; the engine keeps the step
    // and knows the device's version itself.
    void runUpdateStep(int step, int deviceCode, QString versionText);
    // The end of a receiver or mouse step, on the page and in the engine.
    void showReceiverResult();
    void showMouseResult();
    // The engine's updater callback (it runs on the library's thread).
    static void upgradeStepCallback(const unsigned char *event);

    // Hands the id of every listed receiver to every mouse on its cable;
    // the last online answer of a receiver.
    static unsigned char pairReceiverToWiredMouse();
    // Sends the receiver id kept by the last pairing again.
    static void resendReceiverId();
    static void waitWithEventLoop(int ms);
    static void stopChecks();
    static bool isReceiverUpdateRunning();
    static bool isMouseUpdateRunning();

    // The warning a step left for later: 0 none, 1 no device, 2 several.
    int deferredWarning(int deviceCode) const;
    UpDateWarning *updateNotice() const { return m_updateWarning.get(); }
    // The update and repair dialog (g_updateRepairDialog) and the update
    // notice are built once the window has painted, so the window comes up
    // without waiting for them, or at once when the page first needs them.
    // Calling it again builds nothing. The update and repair dialog connects
    // to the repair signals after the device page's hidden copy, as when
    // both were built at start: both compute the repair's shared state, and
    // the shown dialog's must stay the one that counts.
    void buildUpdateDialogs();
    // The dialogs the page keeps that no window shows, built when first
    // asked for: nothing in the program asks, so they cost it neither start
    // time nor the 1.5 MB they hold with their pictures, styles and fonts.
    LedInfo *ledInfo();
    InputPicA *inputPicA();
    InputPicB *inputPicB();
    LightModeSet *lightModeSet();

public slots:
    void SlotAllLanguage(int index);
    void SlotLanguageSameB(int index);
    void SlotLightToFrom(int index);
    void SlotLongRangeMode(bool Select);
    void SlotFormMove(int index);
    void SlotFormResetForm();
    void SlotScroolChange(int value);
    void SlotSetStyle(int index);
    void SlotRGBValue(DongleRGB *Rgb);
    void SlotForm();
    void SlotFormB();
    void SlotLabelText(int index, QString Text);
    void SlotLabelTextB(QString TextA, QString Text);
    void SlotUpdateFrame(bool IsVis);
    void SlotButtonclick();
    void SlotContinue(int);
    void SlotCheckUpdate();
    void SlotGetRealVer();
    void SetVer(int index);
    void SetVerText();

    void on_Receive_2_clicked();
    void on_Start();
    // A tick of the engine's receiver or mouse check timer, by hand.
    void onDongleCheckTimer();
    void onMouseCheckTimer();

    void on_pushButton_clicked();
    void on_toolButton_clicked();
    void on_pushButton_2_clicked();
    void on_toolButton_2_clicked();

public:
    // Handlers named after widgets this form does not have. They are plain
    // members, not slots: the form's connection by name would look for each
    // widget and warn that it is missing.
    // The start of a mouse run (SlotContinue, the end of a receiver run,
    // on_Start) and of a receiver run (SlotContinue, on_Start).
    void on_Mouse_clicked();
    void on_Receive_clicked();
    // Language `index` without restyling the two language buttons.
    void on_comboBox_activated(int index);
    void on_checkBox_3_toggled(bool checked);
    void on_checkBox_clicked(bool checked);
    void on_checkBox_5_toggled(bool checked);
    void on_ReUntil_toggled(bool checked);
    void on_ReUntil_2_toggled(bool checked);
    void on_ReUntil_3_toggled(bool checked);
    void on_checkBox_2_toggled(bool checked);
    void on_pushButton_5_clicked();
    void on_pushButton_6_clicked();
    void on_CloseButton_clicked();
    void on_checkBox_2_clicked(bool checked);
    void on_pushButton_3_clicked();
    void on_toolButton_4_clicked();

protected:
    // A press on the page is swallowed (it must not start a window drag).
    void mousePressEvent(QMouseEvent *event) override;

private:
    void chooseLanguage(int index, bool restyleButtons);
    void highlightLanguage(int index);
    void setStartWithSystem(bool checked);
    void setReceiverLightMode(bool checked, u8 mode);
    void readAdvancedOptions() const;
    void setUpToDateStyle();
    void setUpdateWaitingStyle();
    // Where the update dialog stands: centred on the page, then moved by dx, dy.
    void placeUpdateDialog(int dx, int dy);
    // The check and the dialog shown for it (update button, SlotUpdateFrame),
    // placed at dx, dy: a reason why nothing can start only when the user
    // asked.
    void openUpdateDialog(bool userAsked, int dx, int dy);
    // An offer (SlotUpdateFrame) shows once the devices it answers for are
    // listed and no notice is up; until then it waits and is asked again.
    bool offerCanShow() const;
    // The receiver's and the mouse's firmware version on the labels.
    void showReceiverVersion(const QString &version);
    void showMouseVersion(const QString &version);
    // The update button says "up to date" when the engine says so (no newer
    // firmware for the devices) or offers the update, in the current
    // language.
    void showUpToDate();
    // What the engine tells the page: the end of a step, a warning to show
    // at once, and a run that ended without flashing anything.
    void showStepEnd(int deviceCode, int state);
    void showDeviceWarning(int deviceCode, UpdateReason reason);
    void showRunEndedWithout(UpdateReason reason);
    // The page's text for a reason the engine gives.
    QString reasonText(UpdateReason reason) const;

    std::unique_ptr<Ui::FormSetting> ui;

    // The dialogs the page keeps, constructed without a parent when first
    // asked for.
    std::unique_ptr<LedInfo> m_ledInfo;
    std::unique_ptr<InputPicA> m_inputPicA;
    std::unique_ptr<InputPicB> m_inputPicB;
    std::unique_ptr<LightModeSet> m_lightModeSet;

    QString m_pictureDir;
    QString m_textNoDevice;
    QString m_textSameDevice;
    QString m_textVerNew;
    QString m_textReceive;
    QString m_textStillWriting;
    QString m_textFileError;
    QString m_textForeignMouse;
    std::unique_ptr<UpDateWarning> m_updateWarning;
    QButtonGroup *m_buttonGroup = nullptr;
    QString m_buttonColor;
    // The product's selection colour: the chosen language's button.
    QString m_selectColor;
    u8 m_firstPlacement = 1;
    bool m_offerWaiting = false;
    QElapsedTimer m_offerWaited;   // since the offer began to wait
    QTimer *m_offerRetry = nullptr;
};

// The settings page's program-wide values: the product's transition mode
// (Config.ini Option/Transition), the texts the update dialog shows for the
// page (page FormSetting of the language files; g_updateWarningText is the
// wired-mode text), and what the last re-pairing asked of the receivers.
extern int g_transitionMode;
extern QString g_textNoRecieve, g_textNoUSB, g_textError, g_textMultiMouse, g_textMultiDongle;
extern unsigned char g_pairQueryOnline;
extern QByteArray g_receiverIdBytes;

#endif // FORMSETTING_H

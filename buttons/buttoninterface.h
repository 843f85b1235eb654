#ifndef BUTTONINTERFACE_H
#define BUTTONINTERFACE_H

// The device page: the six button widgets with their shared function menu,
// the profile box, the battery, the option and reset controls, the embedded
// DPI and sensor option widgets and the macro editor's widgets. It creates
// the device worker (g_worker) and receives the device data that the worker
// and the device-event callback send; those signals come from other threads
// and are connected blocking-queued, so the sender waits until the page has
// taken the data.
//
// The class is one declaration, its members live in several files, one per
// concern (each section below names its file).

#include "flashdatamap.h"

#include <QString>
#include <QVector>
#include <QWidget>

namespace Ui {
class Buttoninterface;
}
class KeyboardHook;
class PopupMenu;
class QAction;
class QButtonGroup;
class QMenu;
class QPushButton;
class UpDateRepair;

// The button (0..5 = ButtonA..ButtonF) whose function menu was opened last;
// every function slot acts on it.
extern int g_menuButtonIndex;

class Buttoninterface : public QWidget
{
    Q_OBJECT
public:
    explicit Buttoninterface(QWidget *parent = nullptr);
    ~Buttoninterface() override;

    // ---- Button widgets and device buttons (buttoninterface.cpp) ---------
    // The widgets ButtonA..ButtonF are menu indexes 0..5. They edit device
    // buttons 0, 1, 2, 4, 3, 5: ButtonD is device button 4 and ButtonE
    // device button 3. Every way from a widget to a device button goes
    // through these.
    static constexpr int kButtonCount = 6;
    // Device button of menu index 0..5; -1 for any other index.
    static int deviceButtonIndex(int menuIndex);
    // Menu index of device button 0..5; -1 for any other button.
    static int menuIndexOfDevice(int deviceButton);
    // The widget of menu index 0..5, or of device button 0..5; null outside.
    QPushButton *buttonWidget(int menuIndex) const;
    QPushButton *buttonForDevice(int deviceButton) const;

    // The functions the shared menu offers, one action each, in the order
    // the actions are made. The action's object name is its slot's name.
    enum Function {
        FnLeftKey, FnRightKey, FnWheelKey, FnForwardKey, FnBackKey, FnPollingRateKey, FnProfileSwitchKey,
        FnKeyCombinationKey, FnDisableKey, FnMacroMenu,
        FnDPIUpKey, FnDPIDownKey, FnDPILoopKey,
        FnMediaPlayerKey, FnPlayPauseKey, FnNextKey, FnMuteKey, FnPreviousKey, FnStopplayKey, FnVoulumeupKey,
        FnVoulumedownKey, FnEmailKey, FnCalculatorKey, FnMycomputerKey, FnHomePageKey, FnSearchKey, FnStopWebKey,
        FnRefreshKey, FnFavoritesKey,
        FnKeyWheelUp, FnKeyWheelDown,
        FnKey100, FnKey200, FnKey300, FnKey400, FnKey500, FnKey600, FnKey700, FnKey800, FnKey900, FnKey1000,
        FnKey1100, FnKey1200,
        FunctionCount
    };
    QAction *functionAction(Function function) const { return m_functionActions.value(function); }
    QMenu *functionMenu() const { return m_functionMenu; }

    // Fills the three function vectors from the image: one entry per
    // device button of the selected device (Config.ini KeyNumber, at most
    // the 16 the image holds). Returns that number.
    int loadButtonFunctions(const FlashDataMap &image);

    // ---- What the page shows (buttoninterface_refresh.cpp) ---------------
    // The image of the last full refresh, and the factory view without one.
    const FlashDataMap &shownImage() const { return m_shownImage; }
    bool showsFactoryView() const { return m_factoryView; }
    int fullRefreshCount() const { return m_fullRefreshCount; }
    // The rate choice's index as last shown, -1 before any.
    int reportRateIndex() const { return m_reportRateIndex; }
    // The battery as the progress bar and its text show it.
    int batteryLevel() const;
    QString batteryText() const;

    // Labels the widget of device button `button` with its function.
    void RenderButtonLabels(int button, int type, int code, int param, FlashDataMap image);

    // ---- Button functions on the page (buttoninterface_defaults.cpp) -----
    // Stores a function in the page vectors at device button `button`,
    // growing them when the button lies past their end (before the first
    // refresh, or for a device with fewer buttons). Read them with
    // QVector::value(), which gives 0 past the end.
    void setButtonFunction(int button, int type, int code, int param);
    // The menu action of the media or application key with this usage low
    // byte; null for any other byte.
    QAction *consumerKeyAction(int usageLow) const;
    // Give device button 0..5 a consumer key or a key combination: the
    // device first, then the page vectors and the label ("     " + the
    // action's text or the combination text). Nothing changes on the page
    // when the device refuses or the key is unknown.
    void AssignConsumerKey(int button, int usageLow);
    void AssignCombinationKey(int button, QString text);

    // ---- Device operations (buttoninterface_device.cpp) -------------------
    // Configuration import and export have no control on the page; they
    // stay callable for the device link.
    void on_ImportData_clicked();
    void on_OutputData_clicked();

    // ---- Macro editor (macro/) --------------------------------------------
    // Fills the macro list with the macro files of the macro folder; the
    // argument is not used.
    void LoadMacroList(QString list);
    // Makes the macro file of `name` hold `text` and a line end. A name
    // that cannot be a file name in the macro folder writes nothing.
    void WriteMacroFile(QString name, QString text);

public slots:
    // ---- Texts and styles (buttoninterface.cpp) ----------------------------
    void SlotAllLanguage(int index);
    void SlotSetStyle(int index);
    // Records in g_menuButtonIndex which button the function menu opens for.
    void onAbouttoshow();

    // ---- Refresh from device data (buttoninterface_refresh.cpp) -----------
    void SlotUpDataButtonUIButton(FlashDataMap DataMap);
    void SlotUpDataButtonUIB(FlashDataMap DataMap);
    void SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void SlotUpDataDPI(int index);
    void SlotUpDataReportRate(int index);
    void SlotBattery(bool IsCharg, int Number, bool IsText);
    void SlotFormResetButton();
    void SlotMouseIndex(int index);
    void SlotFocusIn(int index);
    void SlotFocusOut();
    void SlotDeleteMacroButton(QString MacroName);

    // ---- Device operations (buttoninterface_device.cpp) -------------------
    // Factory reset and pairing.
    void on_Reset_clicked();
    void on_Reset_2_clicked();

    // ---- Profile, debounce and option controls (buttoninterface_controls.cpp)
    void on_ProjectChoose_activated(int index);
    void on_ProjectChoose_currentIndexChanged(int index);
    void on_AddLevelCC_clicked();
    void on_ReduceLevelCC_clicked();
    void on_spinBoxButton_valueChanged(int value);
    void on_Reset_3_clicked(bool checked);
    void on_Reset_4_clicked(bool checked);
    void on_toolButton_clicked(bool checked);
    void on_pushButton_clicked();

    // ---- Function menu (buttoninterface_functions.cpp) --------------------
    void slotLeftKey();
    void slotRightKey();
    void slotWheelKey();
    void slotForwardKey();
    void slotBackKey();
    void slotPollingRateKey();
    void slotProfileSwitchKey();
    void slotKeyCombinationKey();
    void slotDisableKey();
    void slotMacroMenu();
    void slotDPIUpKey();
    void slotDPIDownKey();
    void slotDPILoopKey();
    void slotMediaPlayerKey();
    void slotPlayPauseKey();
    void slotNextKey();
    void slotMuteKey();
    void slotPreviousKey();
    void slotStopplayKey();
    void slotVoulumeupKey();
    void slotVoulumedownKey();
    void slotEmailKey();
    void slotCalculatorKey();
    void slotMycomputerKey();
    void slotHomePageKey();
    void slotSearchKey();
    void slotStopWebKey();
    void slotRefreshKey();
    void slotFavoritesKey();
    void slotKeyWheelUp();
    void slotKeyWheelDown();
    void slotKey100();
    void slotKey200();
    void slotKey300();
    void slotKey400();
    void slotKey500();
    void slotKey600();
    void slotKey700();
    void slotKey800();
    void slotKey900();
    void slotKey1000();
    void slotKey1100();
    void slotKey1200();

    // ---- Macro editor (macro/) --------------------------------------------
    void SlotButtonToMacro(FlashDataMap DataMap, int KeyNumer);
    void SlotMacroDownLoadData(QString MacroName, int index);
    void SlotSetMacroPage();
    void SlotDeleteItemMacro();
    void SlotRenameItemMacro();
    void SlotDeleteItemKey();
    void SlotRenameItemKey(int index);
    void ExPortMacro();
    void SlotAddMacroButton();
    void SlotUpDataMacro(QString MacroName, int index);
    void SlotMacroRename(QString Rename, QString Name);
    // The keys the page's hook hears while the press or the release field
    // has the focus.
    void UpdateCapslockTipB(int keyCode, bool downOrUp, bool aotu);
    void UpdateCapslockTipC(int keyCode, bool downOrUp, bool aotu);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    // ---- Construction, texts and styles (buttoninterface.cpp) ------------
    void readLevelFile();
    void buildFunctionMenu();
    void styleConstructorWidgets();
    void rebuildProfileItems();
    void setMacroEditorTexts(int index);
    // Shows Save as changed once the repeat mode changes.
    void RepeatModeChanged();
    // Disconnects the page from the hub and drops the blocking-queued calls
    // already waiting for it, so no device thread stays held by the page.
    void releaseDeviceThreads();
    // Puts a notice over the page: centred, then shifted by (dx, dy).
    void placeNotice(QWidget *notice, int dx, int dy) const;

    Ui::Buttoninterface *ui;

    // Function of each device button (type, code, parameter), indexed by
    // the device button index.
    QVector<int> m_buttonTypes;
    QVector<int> m_buttonCodes;
    QVector<int> m_buttonParams;

    QMenu *m_functionMenu = nullptr;
    PopupMenu *m_dpiMenu = nullptr;
    PopupMenu *m_mediaMenu = nullptr;
    PopupMenu *m_fixedDpiMenu = nullptr;
    PopupMenu *m_wheelMenu = nullptr;
    QAction *m_leftClickAction = nullptr;
    QVector<QAction *> m_functionActions;   // by Function

    QButtonGroup *m_repeatModeGroup = nullptr;
    QButtonGroup *m_delayModeGroup = nullptr;
    KeyboardHook *m_keyboardHook = nullptr;
    UpDateRepair *m_updateRepair = nullptr;

    QString m_sensorPageDir;
    QString m_macroDir;
    QString m_mainPageDir;
    QString m_buttonPictureDir;
    QString m_macroPictureDir;
    QString m_buttonColor;
    QString m_macroLabelPrefix;
    QString m_profileLabelPrefix;

    // ---- Macro editor state (macro/) --------------------------------------
    QString m_exportMacroText;
    QString m_renameMacroText;
    QString m_deleteMacroText;
    QString m_newMacroText;
    QString m_importMacroText;
    QString m_macroDeletedPrefix;
    bool m_macroSettingsChanged = false;

    // ---- Refresh state (buttoninterface_refresh.cpp) ----------------------
    // The full refresh both image slots run; `sleepToSettings` also tells
    // the settings page the device's sleep time.
    void refreshFromImage(const FlashDataMap &image, bool sleepToSettings);
    void showSensorOptions(const FlashDataMap &image);
    void showOption0C(bool on);
    void showReportRate(const FlashDataMap &image);
    void showDpiLevels(const FlashDataMap &image);
    void showReportRateChoices();

    FlashDataMap m_shownImage;
    int m_reportRateIndex = -1;
    bool m_factoryView = false;
    int m_fullRefreshCount = 0;
    QString m_dpiMinText;
    QString m_dpiMaxText;

    // ---- Control state (buttoninterface_controls.cpp) ---------------------
    // Steps the debounce time by `step` and sends it.
    void stepDebounceTime(int step);
    // A LessThree notice with `text` (the table's own text when empty).
    void showLessThree(const QString &text);
    // The profile the box showed before the user's choice: a choice the
    // device does not take goes back to it.
    int m_profileIndex = 0;
};

#endif // BUTTONINTERFACE_H

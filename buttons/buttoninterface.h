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
#include "macrorecorder.h"
#include "macrorow.h"

#include <QMap>
#include <QModelIndex>
#include <QPoint>
#include <QSet>
#include <QString>
#include <QVector>
#include <QWidget>

#include <functional>

namespace Ui {
class Buttoninterface;
}
class RecordingKeyStop;
class KeyboardHook;
class MyLineEdit;
class PopupMenu;
class QAction;
class QButtonGroup;
class QListWidgetItem;
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
    // The editor shows one macro at a time: the one last clicked, created or
    // imported. Saving, exporting and the event rows act on that macro even
    // while a row button or the keyboard has moved the list's current row.
    QString shownMacro() const { return m_shownMacro; }
    bool macroHasUnsavedEdits() const { return m_macroEventsChanged || m_macroSettingsChanged; }
    // True while a save's sends to the buttons bound to its macro wait for
    // the event loop (SlotUpDataMacro gathers them).
    bool macroSendsPending() const { return !m_pendingMacroSends.isEmpty(); }

    // Fills the macro list with the macros of the macro folder; the
    // argument is not used.
    void LoadMacroList(QString list);
    // Appends a macro row (name and its ItemList) at the end of the list.
    void appendMacroRow(QString name);
    // Shows the macro of the list's current row: its rows and loop mode.
    void LoadMacroFile(QString file);
    // The loop mode the controls show: 254, 255, 253 or the repeat count.
    QString loopModeText() const;
    // A device's copy of the macro was just written to its file: adds the
    // macro's row when the list lacks it (after the current row, else at the
    // end) and shows the new file only when the editor shows that macro
    // without unsaved edits and no recording runs. Nothing else changes.
    void macroArrivedFromDevice(const QString &name);

    // Event rows. The rows keep the code and kind of their key, so a
    // language change does not change what a saved row means.
    MacroRows eventRows() const;
    void insertEventRowAt(int row, QListWidgetItem *item);
    // Appends a row and makes it current; only while a macro is shown.
    void appendEventRow(QString name, bool press);
    // Inserts after the current row (at the end without one); the current
    // row stays. Only while a macro is shown, and only rows that fit the 70
    // events of a device block (a notice otherwise).
    void insertEventRow(QString name, bool press);
    void insertEventPair(MacroRow press);
    // The last row's delay, rounded to whole milliseconds; it becomes
    // current. Only while a macro is shown and the list has rows.
    void setLastEventDelay(double milliseconds);
    // Appends rows as they are, delays included (loading, read-back).
    void appendEventRows(const MacroRows &rows);
    // Deletes the macro of the list's current row after the confirmation;
    // refused while recording. Reached through DeleteMacro().
    void on_DeleteHong_clicked();

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

public:
    // The function the page holds for device button `button`; -1 in every
    // field for a button it holds none for.
    struct StoredFunction {
        int type = -1;
        int code = -1;
        int param = -1;
    };
    StoredFunction storedButtonFunction(int button) const;
    // Binds the stored macro `name` to the button of g_menuButtonIndex,
    // as the menu does once the chooser has given a name.
    void slotMacroNameKey(const QString &name);

private:
    // The left-click function cannot leave the only button that shows it:
    // when `menuIndex` is that button, the notice says so and this is true.
    bool keepsLastLeftClick(int menuIndex);
    // The common end of every function choice for the button of `menuIndex`:
    // `write` stores it on device button k; only when the device took it
    // does the label change and the vectors take {type, code, param}.
    void commitFunction(int menuIndex, const std::function<bool(int k)> &write, const QString &label, int type,
                        int code, int param);
    // The whole choice of a function: the left-click rule, then the commit.
    void assignFromMenu(const std::function<bool(int k)> &write, const QString &label, int type, int code,
                        int param);
    void assignSingleCode(Function function, int type, int code);
    void assignConsumerKey(int usageLow);
    void assignFixedDpi(Function function, int dpi);

public slots:
    // ---- Macro editor (macro/) --------------------------------------------
    void SlotSetMacroPage();
    void CreateMewMacro();
    void RenameMacro();
    void DeleteMacro();
    void SlotDeleteItemMacro();
    void SlotRenameItemMacro();
    void SlotDeleteItemKey();
    void SlotRenameItemKey(int index);
    void ExPortMacro();
    void InPortMacro();
    void SlotAddMacroButton();
    void on_listWidgetHong_clicked(const QModelIndex &index);
    void on_listWidgetHong_customContextMenuRequested(const QPoint &pos);
    void on_NewHong_clicked();
    void on_NumberEdit_valueChanged(int value);
    void on_Save_clicked();
    void on_ChooseEvent_activated(int index);
    void on_LeftButton_2_clicked();
    void on_RightButton_2_clicked();
    void on_MidButton_2_clicked();
    void on_listWidgetKey_itemChanged(QListWidgetItem *item);
    void on_lineEditDelay_valueChanged(int value);

    // ---- Macros on the device (macro/buttoninterface_transfer.cpp) --------
    // A button runs a macro when its stored function has type 6; the block
    // it runs carries the macro's name. Those two, never the labels, say
    // which buttons a macro is bound to.
    // Device button `index` (0..5), bound to the macro, gets the macro's
    // saved file; its stored function stays.
    void SlotMacroDownLoadData(QString MacroName, int index);
    // After a save: index 0 (the events changed) and 1 (the loop mode
    // changed) of one save are sent together, once per bound button, as
    // soon as the event loop runs again. The block comes from the saved
    // file, the loop mode from its first line.
    void SlotUpDataMacro(QString MacroName, int index);
    // After a file rename: the bound buttons' blocks get the new name and
    // their labels change once the device took it.
    void SlotMacroRename(QString Rename, QString Name);
    // A macro found on device button KeyNumer: its events are appended to
    // the macro file (whose loop line the labelling has just written) and
    // the list learns of it; an edit or a recording in the editor stays.
    void SlotButtonToMacro(FlashDataMap DataMap, int KeyNumer);

    // ---- Recording and key capture (macro/buttoninterface_record.cpp) ----
    void on_StartRecord_clicked();
    void on_StopRecord_clicked();
    // A key while recording: its row, and the time since the key before as
    // that row's delay.
    void UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu);
    // The keys the page's hook hears while the press or the release field
    // has the focus: the field shows the key's name.
    void UpdateCapslockTipB(int keyCode, bool downOrUp, bool aotu);
    void UpdateCapslockTipC(int keyCode, bool downOrUp, bool aotu);
    // Insert the field's key as a press or release row.
    void on_lineEditPress_2_clicked();
    void on_lineEditRelease_2_clicked();

public:
    // The clock recording measures delays with, in milliseconds; null puts
    // the steady system clock back.
    void setRecordClock(std::function<qint64()> clock);

public slots:

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
    // Shows Save with its hover and pressed looks.
    void showSaveButton();
    void markEventsChanged();
    // Puts the notice that the editor is busy recording over the page.
    void showRecordingNotice();
    // The name typed into the name prompt; empty when cancelled.
    QString askMacroName(bool rename);
    QListWidgetItem *currentMacroItem() const;
    // The list's current row back on the shown macro (none without one).
    void selectShownRow();
    void createMacro();
    void renameCurrentMacro();
    void deleteCurrentMacro();
    // Shows the named macro's file in the editor; clears the change flags.
    void showMacro(const QString &name);
    void forgetShownMacro();
    void restoreLoopMode(const QString &loopText);
    void clearEventList();
    void insertEventRows(const MacroRows &rows);
    void insertMouseButtonPair(int code);
    QListWidgetItem *makeEventItem(const MacroRow &row) const;

    QString m_shownMacro;
    bool m_macroEventsChanged = false;
    QString m_exportMacroText;
    QString m_renameMacroText;
    QString m_deleteMacroText;
    QString m_newMacroText;
    QString m_importMacroText;
    QString m_macroDeletedPrefix;
    bool m_macroSettingsChanged = false;   // the loop mode changed since the last save

    // ---- Transfer and recording state (macro/) ----------------------------
    // Device buttons 0..5, in the order ButtonA..ButtonF, whose stored
    // function runs the macro of that name.
    QVector<int> macroBoundButtons(const QString &name) const;
    void sendPendingMacros();
    void insertCapturedKey(MyLineEdit *field, bool press);
    // The hook off and the recording state cleared (the limit keeps the
    // recording layout until Stop).
    void endRecording();
    // Back to the layout without a recording, the page's buttons enabled.
    void leaveRecording();

    // Saved macros waiting to be sent: name -> what changed (1 events,
    // 2 loop mode).
    QMap<QString, int> m_pendingMacroSends;
    MacroRecorder m_recorder;
    RecordingKeyStop *m_recordKeys;   // child of the page

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

#ifndef MACRO_H
#define MACRO_H

// The stand-alone macro page: a complete macro editor of its own beside the
// device page's. It shows the macro folder as a list, the chosen macro's
// events, records through the keyboard hook, inserts keys, delays and mouse
// buttons by hand, keeps the repeat mode and saves. New macros are named in
// the page's own name field.
//
// Unlike the device page's editor, the event list holds every delay as a
// row of its own (the clock picture and "25ms") after the event it follows;
// the macro file, the device block and the exchange file hold the same
// events as the device page's editor writes them. The page has no "repeat
// until pressed again" mode.
//
// From the hub the page hears only language and theme changes. Its lists
// are edited through their context menus; its key boxes capture keys
// through the page itself.

#include "flashdatamap.h"
#include "keytables.h"
#include "macroeditorshared.h"
#include "macrorecorder.h"
#include "macrorow.h"

#include <QModelIndex>
#include <QPoint>
#include <QString>
#include <QWidget>

namespace Ui {
class Macro;
}
class KeyboardHook;
class QButtonGroup;
class QListWidgetItem;

// 1 while the stand-alone page records; the page's list, event and save
// operations refuse meanwhile.
extern u8 g_standaloneMacroRecording;

class Macro : public QWidget
{
    Q_OBJECT
public:
    explicit Macro(QWidget *parent = nullptr);
    ~Macro() override;

    // The macro the editor shows: the one last clicked, created or
    // imported; empty for none.
    QString shownMacro() const { return m_shownMacro; }
    bool macroHasUnsavedEdits() const { return m_macroEventsChanged || m_macroSettingsChanged; }
    // The shown events as the macro file holds them: each key row with the
    // delay rows that follow it added up ("0ms" without any).
    MacroRows eventRows() const;
    // The loop mode the controls show: 254, 255 or the repeat count; a
    // mode the page has no box for (253) stays as the macro holds it.
    QString loopModeText() const;
    const MouseButtonNames &mouseButtonNames() const { return m_mouseNames; }

public slots:
    void SlotAllLanguage(int index);
    void SlotSetStyle(int index);

    // ---- Macro list (macro_list.cpp) ---------------------------------------
    void CreateMewMacro();
    void RenameMacro();
    void DeleteMacro();
    void SlotRenameItemMacro();
    void SlotDeleteItemMacro();
    void ExPortMacro();
    void InPortMacro();
    void on_listWidgetHong_clicked(const QModelIndex &index);
    void on_listWidgetHong_customContextMenuRequested(const QPoint &pos);
    void on_MacroName_textEdited(const QString &text);
    void on_MacroNameEnter_clicked();
    void on_NumberEdit_valueChanged(int value);
    void on_Save_clicked();
    // Sends the shown macro to device button `index` with the function the
    // button has; only when `MacroName` is the shown macro.
    void SlotMacroDownLoadData(QString MacroName, int index);
    // Device button `KeyNumer` of the image runs a macro: its file is
    // written from the device's copy and the list gets its row.
    void SlotButtonToMacro(FlashDataMap DataMap, int KeyNumer);
    // Ends a recording and gives every control back.
    void SlotSetMacroPage();

    // ---- Event list (macro_events.cpp) --------------------------------------
    // Edits the current row: a delay row's time or a key row's key.
    void SlotRenameItemKey();
    void SlotDeleteItemKey();
    void on_listWidgetKey_customContextMenuRequested(const QPoint &pos);
    void on_LeftButton_2_clicked();
    void on_RightButton_2_clicked();
    void on_MidButton_2_clicked();
    void on_lineEditPress_2_clicked();
    void on_lineEditRelease_2_clicked();
    void on_lineEditDelay_2_clicked();

    // ---- Recording and key capture (macro_record.cpp) ------------------------
    void on_StartRecord_clicked();
    void on_StopRecord_clicked();
    void UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu);
    // The press box (0) or the release box (1) took the focus.
    void SlotFocusIn(int index);
    void SlotFocusOut();
    void UpdateCapslockTipB(int keyCode, bool downOrUp, bool aotu);
    void UpdateCapslockTipC(int keyCode, bool downOrUp, bool aotu);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // ---- Macro list ----------------------------------------------------------
    void createMacro(const QString &name);
    void renameCurrentMacro();
    void deleteCurrentMacro();
    QListWidgetItem *currentMacroItem() const;
    void showMacro(const QString &name);
    void forgetShownMacro();
    LoopModeBoxes loopBoxes() const;

    // ---- Event list ------------------------------------------------------------
    bool isDelayRow(int row) const;
    QListWidgetItem *makeDelayItem(quint32 ms) const;
    void insertRows(int at, const QList<QListWidgetItem *> &items);
    // Rows as a macro holds them: each event followed by its delay row.
    void appendEventRows(const MacroRows &rows);
    // An event with its delay row, a pair with theirs; only what fits the
    // 70 events of a device block (a notice otherwise).
    void insertEventRow(const MacroRow &key);
    void insertEventPair(const MacroRow &press);
    void insertMouseButtonPair(int code);
    void insertDelay(quint32 ms);
    void insertCapturedKey(QWidget *box, bool release);
    void markEventsChanged();
    void showSaveButton();

    // ---- Recording ---------------------------------------------------------------
    // Back to idle: the hook removed, every control shown and enabled.
    void endRecording();

    Ui::Macro *ui;
    QString m_macroDir;
    KeyboardHook *m_keyboardHook = nullptr;
    QButtonGroup *m_unusedGroup = nullptr;
    QButtonGroup *m_repeatModeGroup = nullptr;
    QString m_buttonColor;
    QString m_pictureDir;
    bool m_macroSettingsChanged = false;   // the repeat mode changed since the last save

    QString m_macroDeletedPrefix;
    QString m_exportMacroText;
    QString m_renameMacroText;
    QString m_deleteMacroText;
    QString m_newMacroText;
    QString m_importMacroText;
    QString m_editEventText;
    QString m_deleteEventText;
    MouseButtonNames m_mouseNames;

    QString m_shownMacro;
    QString m_shownLoopText;   // the shown macro's loop mode as its file holds it
    bool m_macroEventsChanged = false;
    MacroRecorder m_recorder;
    RecordingKeyStop *m_recordKeys = nullptr;   // child of the page
};

#endif // MACRO_H

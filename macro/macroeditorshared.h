#ifndef MACROEDITORSHARED_H
#define MACROEDITORSHARED_H

// What the two macro editors have in common: the device page's editor and
// the stand-alone macro page. Both show the macro folder as a list (one row
// per macro, each with an ItemList row widget) above an event list, ask the
// same questions and notices over their page, and mark unsaved edits with
// the same Save button. The helpers work on the lists and the page given.

#include "keytables.h"
#include "macrorow.h"

#include <QObject>
#include <QPair>
#include <QString>
#include <QVector>

#include <functional>

class KeyboardHook;
class MacroRecorder;
class QAbstractButton;
class QButtonGroup;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPoint;
class QSpinBox;
class QWidget;

// ---- Dialogs over a page -------------------------------------------------------
// Each dialog is modal, made without a parent and moved to the page's
// centre shifted by the editor's offset for its kind.

// Centred over `page`, then shifted by (dx, dy).
void placeOverPage(QWidget *dialog, const QWidget *page, int dx, int dy);
// The notice that the action waits for the recording to end.
void showRecordingRefusal(const QWidget *page);
// The notice that no macro is chosen (a recording needs one).
void showNoMacroChosen(const QWidget *page);
void showSameMacroNotice(const QWidget *page);
// The name typed into the name prompt (first prompt for a new macro, the
// second for a rename); empty when cancelled.
QString askMacroName(const QWidget *page, bool rename);
// True when the user confirmed the deletion.
bool confirmMacroDelete(const QWidget *page);
// The key chosen in the single-key dialog; empty when cancelled.
QString askKeyName(const QWidget *page);
// The delay chosen in the delay dialog, preset from the shown delay text
// ("25ms"); false when cancelled.
bool askDelay(const QWidget *page, const QString &shownDelay, quint32 *ms);

// The notice that a recording reached the rows a device block holds.
void showRecordingLimit(const QWidget *page);
// The notice that events past the 70 a macro holds were not added.
void showEventLimit(const QWidget *page);
// True when `adding` more events fit beside the `events` a macro holds;
// otherwise the notice says so and nothing may be added.
bool roomForEvents(const QWidget *page, int events, int adding);
// True for a name a macro can have; false for an empty one (a cancelled
// prompt), and with a notice for any other name the folder cannot keep as
// a macro (isMacroFileName).
bool acceptMacroName(const QWidget *page, const QString &name);

// ---- Recording and key boxes ----------------------------------------------------
// 1 while the device page's macro editor records; the main window's keys
// stay quiet then.
extern u8 g_macroRecording;

// The page's layout while it records (true) or not, by the object names
// both editors' forms use: the controls that insert single events and the
// repeat count hide, Stop takes the place of Start and the macro list is
// disabled; the frame learns of it through the hub (SigStartRecord 0 or 1).
// The controls hide first, so a key box that had the focus gives up its
// hook before a recording installs one.
void showRecordingLayout(QWidget *page, bool recording);
// A key box shows the name of the key the hook heard (empty for a key
// without one); it is read-only while the key is down, so the key itself
// types nothing.
void captureKeyName(QLineEdit *box, int keyCode, bool down);

// While a page records, the keys typed belong to the macro: the hook hears
// them where they reach the window, and between start() and stop() they go
// no further into the page's window. Otherwise Space or Enter would press
// the focused button (opening a function menu, where the next keys chose a
// function), a text field would take the letters and the arrows would move
// the lists, all while being recorded.
class RecordingKeyStop : public QObject
{
public:
    explicit RecordingKeyStop(QWidget *page);
    void start();
    void stop();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_page;
    bool m_on = false;
};

// What a page's recording turns on and off together: the page's keyboard
// hook reporting keys to `callback`, the keys kept from the page's widgets,
// and the recorder.
void startRecordingSession(KeyboardHook *hook, std::function<void(int, bool, bool)> callback,
                           RecordingKeyStop *keys, MacroRecorder &recorder);
void stopRecordingSession(KeyboardHook *hook, RecordingKeyStop *keys, MacroRecorder &recorder);

// ---- The macro list -------------------------------------------------------------
// The row of `name`; -1 when the list has none.
int macroRow(const QListWidget *list, const QString &name);
// A row of `name` at `row` (the end for any row outside); its ItemList comes
// with it when in view, else when it comes into view.
void insertMacroRow(QListWidget *list, int row, const QString &name);
// The row of a macro a device delivered: nothing when listed, otherwise
// after the current row, or at the end without one.
void insertArrivedMacroRow(QListWidget *list, const QString &name);
void removeMacroRow(QListWidget *list, int row);
// Makes the row of `name` current; no row for an empty or unlisted name.
void selectMacroRow(QListWidget *list, const QString &name);
// A name the list or the folder already has: a file the list does not show
// (written since the list was filled) would be emptied by a new macro.
bool macroNameTaken(const QListWidget *list, const QString &folder, const QString &name);

// ---- Loop mode ------------------------------------------------------------------
// The boxes of the repeat modes: until the key is released (254), until any
// key is pressed (255), until the key is pressed again (253, not on every
// page) and the repeat count with its number box.
struct LoopModeBoxes {
    QButtonGroup *group;
    QAbstractButton *untilReleased;
    QAbstractButton *untilAnyKey;
    QAbstractButton *untilPressedAgain;   // null where the page has none
    QAbstractButton *repeat;
    QSpinBox *count;
};
// Shows a macro's loop mode (nothing for an empty text) without it counting
// as a change; a mode without a box on the page leaves no box checked.
void showLoopMode(const LoopModeBoxes &boxes, const QString &loopText);
// The mode the boxes show; with no box checked, the macro's own mode.
QString loopModeOf(const LoopModeBoxes &boxes, const QString &macroLoopText);
// The number box took `value`: 0 goes back to 1 unnoticed; any other value
// is a change of the user's.
bool repeatCountChanged(QSpinBox *count, int value);

// ---- Whole list operations ----------------------------------------------------
// Each runs its dialogs over `page` and keeps list, folder and the rest of
// the program in step; none runs while the page records (the caller's check).

// A new macro `name`: nothing for a name refused by acceptMacroName, the
// notice for a name the list or folder has, else a row at the end and an
// empty file. True when it was made.
bool addNewMacro(const QWidget *page, QListWidget *list, const QString &folder, const QString &name);
// Renames the list's current macro to a name from the prompt. Only a renamed
// file renames the row, the shown macro and the buttons bound to it.
void renameChosenMacro(const QWidget *page, QListWidget *list, const QString &folder, QString *shownMacro);
// Deletes the list's current macro once confirmed, and unbinds its buttons.
// A file that cannot be removed keeps the row. The deleted name, or "".
QString deleteChosenMacro(const QWidget *page, QListWidget *list, const QString &folder, const QString &deletedPrefix);
// Replaces the shown macro's file by `loop` and `rows` in one step and tells
// the buttons bound to it what changed, clearing each flag it reports.
// False, with nothing told, when the file could not be written.
bool saveShownMacro(const QString &folder, const QString &name, const QString &loop, const MacroRows &rows,
                    bool *eventsChanged, bool *loopChanged);
// Exports the list's current macro to a file the user names: the shown
// macro as shown (saved or not), any other from its file.
void exportChosenMacro(QWidget *page, const QListWidget *list, const QString &folder, const QString &shownMacro,
                       const QString &shownLoop, const MacroRows &shownRows, const MouseButtonNames &mouse);
// Imports an exchange file the user chooses as a new macro with a row at
// the end. A file that is no exchange file adds nothing and shows nothing;
// an exchange file that cannot be taken whole shows the import-failure
// notice; one of more than 70 rows is taken up to the 70th, with the
// notice that the rest was not added. Its name, or "" when nothing was
// added.
QString importChosenMacro(QWidget *page, QListWidget *list, const QString &folder, const MouseButtonNames &mouse);

// The macro list's context menu: on a row, export, rename and delete that
// row's macro, then a new macro and an import; on empty space, a new macro
// and an import.
struct MacroListMenu {
    QString exportText, renameText, deleteText, newText, importText;
    std::function<void()> exportMacro, renameMacro, deleteMacro, newMacro, importMacro;
};
void runMacroListMenu(QWidget *page, QListWidget *list, const QPoint &pos, const MacroListMenu &menu);

// ---- Event rows -----------------------------------------------------------------
// An item of a key event: its name, the press or release picture and item
// type (0 press, 1 release), and the key's code and kind kept with it so a
// language change never changes what the row means.
QListWidgetItem *makeEventItem(const MacroRow &row);
// The event an item holds, without a delay.
MacroRow eventOfItem(const QListWidgetItem *item);
// Gives the event at `row` of the list another key, and the other half of
// its key stroke (pairedEventRow) the same key, so that a macro still lets
// go of what it presses; a row without one changes alone. Press or release
// stays. `isEventRow` tells which rows are events (the stand-alone page
// keeps its delays as rows of their own); without it every row is one.
void setEventKey(QListWidget *list, int row, const MacroRow &key,
                 const std::function<bool(int)> &isEventRow = nullptr);
// Names the mouse-button rows of an event list as the given language does,
// without announcing an edit: the rows mean what they meant.
void nameMouseEventRows(QListWidget *list, const MouseButtonNames &mouse);

// ---- Looks and menus ------------------------------------------------------------
// The Save button once an edit is unsaved, with its hover and pressed looks.
QString saveButtonStyle(const QString &pictureDir, const QString &buttonColor);
// The rows of a macro or event list named `objectName`.
QString macroListStyle(const QString &objectName, int itemHeight);
// A context menu of the given entries at the cursor. The chosen entry runs
// after the menu has closed, so its dialogs open alone.
typedef QVector<QPair<QString, std::function<void()>>> MacroMenuEntries;
void runMacroMenu(QWidget *page, const MacroMenuEntries &entries);

#endif // MACROEDITORSHARED_H

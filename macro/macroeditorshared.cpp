#include "macroeditorshared.h"

#include "adddelaytime.h"
#include "addkey.h"
#include "deleteconfirm.h"
#include "exeisrun.h"
#include "globals.h"
#include "inportfail.h"
#include "itemlist.h"
#include "keyboardhook.h"
#include "keynumberlimit.h"
#include "macroblock.h"
#include "macroexchange.h"
#include "macroexchangedialog.h"
#include "macrofile.h"
#include "macrorecorder.h"
#include "macroname.h"
#include "postmsg.h"
#include "questiondialog.h"
#include "samemacro.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QListWidgetItem>
#include <QMenu>
#include <QSignalBlocker>
#include <QSpinBox>

namespace {
// Offsets of the editors' dialogs from the page's centre: notices and
// prompts sit centred across the window, a little above its middle.
constexpr int kNoticeDx = 0, kNoticeDy = -50;
constexpr int kEntryDx = 20, kEntryDy = -50;
constexpr int kPromptDx = 0, kPromptDy = -28;

// The macro page's texts of the notices told for the editor's own cases: a
// name refused for another reason than a clash, events refused outside a
// recording, a macro exchange file refused.
constexpr NoticeText kUnusableNameText = {&g_langMacro, 29};
constexpr NoticeText kInsertLimitText = {&g_langMacro, 30};
constexpr NoticeText kMacroFileText = {&g_langMacro, 31};

void showNotice(NoticeDialog *notice, const QWidget *page, const NoticeText &text)
{
    notice->showLabelText(text);
    placeOverPage(notice, page, kNoticeDx, kNoticeDy);
    notice->exec();
}

// Where an event item keeps the code and kind of its key.
constexpr int kEventCodeRole = Qt::UserRole;
constexpr int kEventKindRole = Qt::UserRole + 1;
// Item types: the press and release marks of a row.
constexpr int kPressItem = 0;
constexpr int kReleaseItem = 1;

const char kMacroMenuStyle[] =
    "QMenu{ color:rgb(0,0,0);background-color:rgb(240,241,246);border: 1px  solid  rgb(198,209,216);}"
    "QMenu::item:selected{ color:rgb(0,0,0); background-color:rgb(222,229,241);}QMenu::indicator{image:none;}"
    "QMenu::item{ width:100px; height:32px;font-size:13px;padding-left:20px;border:0px}"
    "QMenu::icon{width:30px;height:30px;padding-left:25px; }";
} // namespace

// ---- Dialogs over a page -------------------------------------------------------

void placeOverPage(QWidget *dialog, const QWidget *page, int dx, int dy)
{
    const QPoint origin = page->mapToGlobal(QPoint(0, 0));
    dialog->move(origin.x() + (page->width() - dialog->width()) / 2 + dx,
                 origin.y() + (page->height() - dialog->height()) / 2 + dy);
}

void showRecordingRefusal(const QWidget *page)
{
    ExeIsRun notice;
    notice.showSecondText();
    placeOverPage(&notice, page, kNoticeDx, kNoticeDy);
    notice.exec();
}

void showNoMacroChosen(const QWidget *page)
{
    ExeIsRun notice;
    notice.showFirstText();
    placeOverPage(&notice, page, kNoticeDx, kNoticeDy);
    notice.exec();
}

void showSameMacroNotice(const QWidget *page)
{
    SameMacro notice;
    placeOverPage(&notice, page, kNoticeDx, kNoticeDy);
    notice.exec();
}

QString askMacroName(const QWidget *page, bool rename)
{
    QuestionDialog dialog;
    dialog.setTextIndex(rename);
    placeOverPage(&dialog, page, kPromptDx, kPromptDy);
    dialog.exec();
    return dialog.macroName;
}

bool confirmMacroDelete(const QWidget *page)
{
    DeleteConfirm confirm;
    placeOverPage(&confirm, page, kNoticeDx, kNoticeDy);
    confirm.exec();
    return confirm.accepted;
}

QString askKeyName(const QWidget *page)
{
    addKey dialog;
    placeOverPage(&dialog, page, kEntryDx, kEntryDy);
    if (dialog.exec() != QDialog::Accepted || !dialog.m_accepted)
        return QString();
    return dialog.m_keyName;
}

bool askDelay(const QWidget *page, const QString &shownDelay, quint32 *ms)
{
    AddDelayTime dialog;
    dialog.setValueText(QString(shownDelay).remove(QStringLiteral("ms")));
    placeOverPage(&dialog, page, kEntryDx, kEntryDy);
    dialog.exec();
    if (!dialog.m_accepted)
        return false;
    *ms = quint32(qMax(0, dialog.m_value));
    return true;
}

void showRecordingLimit(const QWidget *page)
{
    KeyNumberLimit notice;
    placeOverPage(&notice, page, kNoticeDx, kNoticeDy);
    notice.exec();
}

void showEventLimit(const QWidget *page)
{
    KeyNumberLimit notice;
    showNotice(&notice, page, kInsertLimitText);
}

bool roomForEvents(const QWidget *page, int events, int adding)
{
    // The device block holds 70 events: a longer list would reach the
    // mouse cut short without a word.
    if (events + adding <= kMacroMaxEvents)
        return true;
    showEventLimit(page);
    return false;
}

bool acceptMacroName(const QWidget *page, const QString &name)
{
    if (name.isEmpty())
        return false;
    if (isMacroFileName(name))
        return true;
    SameMacro notice;
    showNotice(&notice, page, kUnusableNameText);
    return false;
}

// ---- Recording and key boxes ----------------------------------------------------

u8 g_macroRecording = 0;

void showRecordingLayout(QWidget *page, bool recording)
{
    static const char *const kInsertControls[] = {"lineEditDelay",     "lineEditDelay_2", "lineEditPress",
                                                  "lineEditPress_2",   "lineEditRelease_2", "lineEditRelease",
                                                  "LeftButton_2",      "RightButton_2",   "MidButton_2"};
    const auto named = [page](const char *name) { return page->findChild<QWidget *>(QString::fromLatin1(name)); };
    for (const char *name : kInsertControls) {
        if (QWidget *w = named(name))
            w->setVisible(!recording);
    }
    PostMsg::instance()->postStartRecord(recording ? 0 : 1);
    named("StartRecord")->setVisible(!recording);
    named("StopRecord")->setVisible(recording);
    named("NumberEdit")->setVisible(!recording);
    named("listWidgetHong")->setEnabled(!recording);
}

void captureKeyName(QLineEdit *box, int keyCode, bool down)
{
    box->setReadOnly(down);
    const QString name = virtualKeyMacroName(keyCode);
    qCDebug(lcDiagnostics) << name;
    box->setText(name);
}

RecordingKeyStop::RecordingKeyStop(QWidget *page)
    : QObject(page), m_page(page)
{
}

void RecordingKeyStop::start()
{
    if (!m_on)
        QCoreApplication::instance()->installEventFilter(this);
    m_on = true;
}

void RecordingKeyStop::stop()
{
    QCoreApplication::instance()->removeEventFilter(this);
    m_on = false;
}

bool RecordingKeyStop::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride)
        && watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == m_page->window())
        return true;
    return false;
}

void startRecordingSession(KeyboardHook *hook, std::function<void(int, bool, bool)> callback,
                           RecordingKeyStop *keys, MacroRecorder &recorder)
{
    hook->InstallKeyboardHook();
    g_keyHookCallback = std::move(callback);
    keys->start();
    recorder.start();
}

void stopRecordingSession(KeyboardHook *hook, RecordingKeyStop *keys, MacroRecorder &recorder)
{
    recorder.stop();
    hook->RemoveKeyboardHook();
    keys->stop();
}

// ---- The macro list -------------------------------------------------------------

int macroRow(const QListWidget *list, const QString &name)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text() == name)
            return i;
    }
    return -1;
}

void insertMacroRow(QListWidget *list, int row, const QString &name)
{
    auto *item = new QListWidgetItem(name);
    list->insertItem(row < 0 || row > list->count() ? list->count() : row, item);
    giveMacroRowsInViewTheirWidgets(list);
}

void insertArrivedMacroRow(QListWidget *list, const QString &name)
{
    if (macroRow(list, name) >= 0)
        return;
    const int current = list->currentRow();
    insertMacroRow(list, current < 0 ? list->count() : current + 1, name);
}

void removeMacroRow(QListWidget *list, int row)
{
    list->removeItemWidget(list->item(row));
    delete list->takeItem(row);
    giveMacroRowsInViewTheirWidgets(list);
}

void selectMacroRow(QListWidget *list, const QString &name)
{
    const int row = name.isEmpty() ? -1 : macroRow(list, name);
    list->setCurrentRow(row);
    if (row < 0)
        list->clearSelection();
}

bool macroNameTaken(const QListWidget *list, const QString &folder, const QString &name)
{
    return macroRow(list, name) >= 0 || QFileInfo::exists(macroFilePath(folder, name));
}

// ---- Loop mode ------------------------------------------------------------------

void showLoopMode(const LoopModeBoxes &boxes, const QString &loopText)
{
    if (loopText.isEmpty())
        return;
    const QSignalBlocker groupBlocker(boxes.group);
    const QSignalBlocker countBlocker(boxes.count);
    const int mode = macroLoopMode(loopText);
    if (mode == kLoopUntilReleased) {
        boxes.untilReleased->setChecked(true);
    } else if (mode == kLoopUntilAnyKey) {
        boxes.untilAnyKey->setChecked(true);
    } else if (mode == kLoopUntilPressedAgain && boxes.untilPressedAgain) {
        boxes.untilPressedAgain->setChecked(true);
    } else if (mode == kLoopUntilPressedAgain) {
        // The macro keeps its mode until the user picks one of the boxes.
        boxes.group->setExclusive(false);
        for (QAbstractButton *box : boxes.group->buttons())
            box->setChecked(false);
        boxes.group->setExclusive(true);
    } else {
        boxes.repeat->setChecked(true);
        boxes.count->setValue(mode);
    }
}

QString loopModeOf(const LoopModeBoxes &boxes, const QString &macroLoopText)
{
    if (boxes.untilReleased->isChecked())
        return QString::number(kLoopUntilReleased);
    if (boxes.untilAnyKey->isChecked())
        return QString::number(kLoopUntilAnyKey);
    if (boxes.untilPressedAgain && boxes.untilPressedAgain->isChecked())
        return QString::number(kLoopUntilPressedAgain);
    if (boxes.repeat->isChecked() || macroLoopText.isEmpty())
        return QString::number(boxes.count->value());
    return QString::number(macroLoopMode(macroLoopText));
}

bool repeatCountChanged(QSpinBox *count, int value)
{
    if (value != 0)
        return true;
    const QSignalBlocker blocker(count);
    count->setValue(1);
    return false;
}

// ---- Whole list operations ----------------------------------------------------

bool addNewMacro(const QWidget *page, QListWidget *list, const QString &folder, const QString &name)
{
    if (!acceptMacroName(page, name))
        return false;
    if (macroNameTaken(list, folder, name)) {
        showSameMacroNotice(page);
        return false;
    }
    insertMacroRow(list, list->count(), name);
    CreateMacroFile(folder, name);
    return true;
}

void renameChosenMacro(const QWidget *page, QListWidget *list, const QString &folder, QString *shownMacro)
{
    if (list->currentRow() < 0)
        return;
    const QString oldName = list->currentItem()->text();
    const QString newName = askMacroName(page, true);
    if (acceptMacroName(page, newName)) {
        if (macroNameTaken(list, folder, newName)) {
            showSameMacroNotice(page);
        } else if (macroRow(list, oldName) >= 0 && renameMacroFile(folder, oldName, newName)) {
            list->item(macroRow(list, oldName))->setText(newName);
            if (*shownMacro == oldName)
                *shownMacro = newName;
            PostMsg::instance()->postMacroRename(oldName, newName);
        }
    }
    selectMacroRow(list, *shownMacro);
}

QString deleteChosenMacro(const QWidget *page, QListWidget *list, const QString &folder, const QString &deletedPrefix)
{
    if (list->currentRow() < 0)
        return QString();
    const QString name = list->currentItem()->text();
    const bool gone = confirmMacroDelete(page) && macroRow(list, name) >= 0
                      && (!QFileInfo::exists(macroFilePath(folder, name)) || removeMacroFile(folder, name));
    if (!gone)
        return QString();
    PostMsg::instance()->postDeleteMacroButton(deletedPrefix + name);
    removeMacroRow(list, macroRow(list, name));
    return name;
}

bool saveShownMacro(const QString &folder, const QString &name, const QString &loop, const MacroRows &rows,
                    bool *eventsChanged, bool *loopChanged)
{
    // One snapshot, one write: nothing that runs meanwhile can mix another
    // macro's rows into the file or leave it empty.
    if (name.isEmpty() || !SaveMacroFile(folder, name, loop, rows))
        return false;
    PostMsg *hub = PostMsg::instance();
    if (*eventsChanged) {
        *eventsChanged = false;
        hub->postUpDataMacro(name, 0);
    }
    if (*loopChanged) {
        *loopChanged = false;
        hub->postUpDataMacro(name, 1);
    }
    return true;
}

void exportChosenMacro(QWidget *page, const QListWidget *list, const QString &folder, const QString &shownMacro,
                       const QString &shownLoop, const MacroRows &shownRows, const MouseButtonNames &mouse)
{
    if (list->currentRow() < 0)
        return;
    const QString name = list->currentItem()->text();
    const QString path = askExchangeFile(page, true);
    if (path.isEmpty())
        return;
    if (name == shownMacro) {
        exportMacroExchange(path, name, shownLoop, shownRows);
        return;
    }
    MacroFileContent content;
    loadMacroFile(folder, name, mouse, &content);
    exportMacroExchange(path, name, QString::number(macroLoopMode(content.loopText)), content.rows);
}

QString importChosenMacro(QWidget *page, QListWidget *list, const QString &folder, const MouseButtonNames &mouse)
{
    const QString path = askExchangeFile(page, false);
    if (path.isEmpty())
        return QString();
    const QString name = macroNameFromFileName(path);
    if (!acceptMacroName(page, name))
        return QString();
    if (macroRow(list, name) >= 0) {
        showSameMacroNotice(page);
        return QString();
    }
    MacroExportFile exchange;
    switch (importMacroExchange(path, folder, name, mouse, &exchange)) {
    case MacroImported:
        insertMacroRow(list, list->count(), name);
        if (exchange.rowsLeftOut)
            showEventLimit(page);
        return name;
    case MacroImportNameTaken:
        showSameMacroNotice(page);
        return QString();
    case MacroImportRefused: {
        InportFail notice;
        showNotice(&notice, page, kMacroFileText);
        return QString();
    }
    case MacroImportUnreadable:
    case MacroImportNotWritten:
        break;
    }
    return QString();
}

void runMacroListMenu(QWidget *page, QListWidget *list, const QPoint &pos, const MacroListMenu &menu)
{
    // New and import belong to the whole list: a row's menu offers them
    // after its own, since a list full of rows leaves no empty space.
    const MacroMenuEntries listEntries = {qMakePair(menu.newText, menu.newMacro),
                                          qMakePair(menu.importText, menu.importMacro)};
    if (QListWidgetItem *item = list->itemAt(pos)) {
        // The row's own entries act on the row under the cursor.
        list->setCurrentItem(item);
        runMacroMenu(page, MacroMenuEntries{qMakePair(menu.exportText, menu.exportMacro),
                                            qMakePair(menu.renameText, menu.renameMacro),
                                            qMakePair(menu.deleteText, menu.deleteMacro)}
                               + listEntries);
    } else {
        runMacroMenu(page, listEntries);
    }
}

// ---- Event rows -----------------------------------------------------------------

QListWidgetItem *makeEventItem(const MacroRow &row)
{
    auto *item = new QListWidgetItem(QIcon(macroRowIconPath(row.release)), row.name, nullptr,
                                     row.release ? kReleaseItem : kPressItem);
    item->setData(kEventCodeRole, row.code);
    item->setData(kEventKindRole, row.kind);
    return item;
}

MacroRow eventOfItem(const QListWidgetItem *item)
{
    MacroRow row;
    row.name = item->text();
    row.code = item->data(kEventCodeRole).toInt();
    row.kind = item->data(kEventKindRole).toInt();
    row.release = item->type() != kPressItem;
    return row;
}

void setEventKey(QListWidget *list, int row, const MacroRow &key, const std::function<bool(int)> &isEventRow)
{
    MacroRows events;
    QVector<int> listRows;
    for (int i = 0; i < list->count(); ++i) {
        if (!isEventRow || isEventRow(i)) {
            events.append(eventOfItem(list->item(i)));
            listRows.append(i);
        }
    }
    const int event = listRows.indexOf(row);
    if (event < 0)
        return;
    QVector<int> changed = {row};
    const int paired = pairedEventRow(events, event);
    if (paired >= 0)
        changed.append(listRows.at(paired));
    for (const int i : changed) {
        QListWidgetItem *item = list->item(i);
        item->setText(key.name);
        item->setData(kEventCodeRole, key.code);
        item->setData(kEventKindRole, key.kind);
    }
}

void nameMouseEventRows(QListWidget *list, const MouseButtonNames &mouse)
{
    const QSignalBlocker blocker(list);
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem *item = list->item(i);
        if (item->data(kEventKindRole).toInt() == kMacroKindMouse)
            item->setText(MouseButtonName(item->data(kEventCodeRole).toInt(), mouse));
    }
}

// ---- Looks and menus ------------------------------------------------------------

QString saveButtonStyle(const QString &pictureDir, const QString &buttonColor)
{
    const QString &M = pictureDir;
    return "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(" + buttonColor
           + ";);background-image: url(" + M + "Button.png" + ");}QToolButton:hover{background-image: url(" + M
           + "ButtonHover.png" + "); }QToolButton:pressed{background-image: url(" + M + "ButtonClick.png" + "); }";
}

QString macroListStyle(const QString &objectName, int itemHeight)
{
    const QString N = "#" + objectName;
    return N + "{background-color: transparent;color: rgb(255,255,255);outline: 0px;border: none;   border-radius: "
               "5px;}"
           + N
           + "::item:selected:active {color: rgb(255,255,255);background: qlineargradient(x1: 0, y1: 0,x2: 0,y2: "
             "1,stop: 0 #000000,stop: 1 #000000);}"
           + N
           + "::item:selected:!active {color: rgb(255,255,255);background: qlineargradient(x1: 0, y1: 0,x2: 0,y2: "
             "1,stop: 0 #000000,stop: 1 #000000);}"
           + N
           + "::item {color: rgb(255,255,255);   background-color: #826881;border: 1px solid  rgb(182,181,189);   "
             "border-radius: 5px;height:"
           + QString::number(itemHeight) + "px;}" + N
           + "::item:hover {color: rgb(255,255,255);   background-color: #504b52;}";
}

void runMacroMenu(QWidget *page, const MacroMenuEntries &entries)
{
    QMenu menu(page);
    menu.setStyleSheet(QString::fromLatin1(kMacroMenuStyle));
    QVector<QAction *> actions;
    for (const auto &entry : entries)
        actions.append(menu.addAction(entry.first));
    const QAction *chosen = menu.exec(QCursor::pos());
    for (int i = 0; i < actions.size(); ++i) {
        if (actions.at(i) == chosen)
            entries.at(i).second();
    }
}

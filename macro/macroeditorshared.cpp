#include "macroeditorshared.h"

#include "adddelaytime.h"
#include "addkey.h"
#include "deleteconfirm.h"
#include "exeisrun.h"
#include "itemlist.h"
#include "macroexchange.h"
#include "macrofile.h"
#include "questiondialog.h"
#include "samemacro.h"

#include <QCursor>
#include <QFileInfo>
#include <QListWidget>
#include <QListWidgetItem>
#include <QMenu>

namespace {
// Offsets of the editors' dialogs from the page's centre.
constexpr int kNoticeDx = -100, kNoticeDy = -50;
constexpr int kEntryDx = 20, kEntryDy = -50;
constexpr int kPromptDx = 0, kPromptDy = -28;

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
    list->setItemWidget(item, new ItemList);
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

void setEventKey(QListWidgetItem *item, const MacroRow &key)
{
    item->setText(key.name);
    item->setData(kEventCodeRole, key.code);
    item->setData(kEventKindRole, key.kind);
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

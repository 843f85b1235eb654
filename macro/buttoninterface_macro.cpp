// The macro editor's list of macros on the device page: filling it from the
// macro folder, the page's views of the macro files, creating, renaming and
// deleting macros, and the slots through which the device data reach it.
#include "buttoninterface.h"
#include "ui_Buttoninterface.h"

#include "deleteconfirm.h"
#include "devicestate.h"
#include "dialogmain.h"
#include "exeisrun.h"
#include "itemlist.h"
#include "macrofile.h"
#include "macroname.h"
#include "postmsg.h"
#include "questiondialog.h"
#include "samemacro.h"

#include <QFileInfo>
#include <QListWidgetItem>

// ---- The list ---------------------------------------------------------------

void Buttoninterface::LoadMacroList(QString list)
{
    Q_UNUSED(list);
    for (const QString &name : listMacroNames(m_macroDir))
        appendMacroRow(name);
}

void Buttoninterface::appendMacroRow(QString name)
{
    auto *item = new QListWidgetItem(name);
    ui->listWidgetHong->addItem(item);
    ui->listWidgetHong->setItemWidget(item, new ItemList);
}

int Buttoninterface::macroRowIndex(const QString &name) const
{
    for (int i = 0; i < ui->listWidgetHong->count(); ++i) {
        if (ui->listWidgetHong->item(i)->text() == name)
            return i;
    }
    return -1;
}

QListWidgetItem *Buttoninterface::currentMacroItem() const
{
    return ui->listWidgetHong->currentRow() < 0 ? nullptr : ui->listWidgetHong->currentItem();
}

void Buttoninterface::selectShownRow()
{
    const int row = m_shownMacro.isEmpty() ? -1 : macroRowIndex(m_shownMacro);
    ui->listWidgetHong->setCurrentRow(row);
    if (row < 0)
        ui->listWidgetHong->clearSelection();
}

bool Buttoninterface::macroNameTaken(const QString &name) const
{
    // A file of that name that the list does not show (written since the
    // list was filled) would be emptied by a new macro of the name.
    return macroRowIndex(name) >= 0 || QFileInfo::exists(macroFilePath(m_macroDir, name));
}

void Buttoninterface::macroArrivedFromDevice(const QString &name)
{
    if (!isMacroFileName(name))
        return;
    if (macroRowIndex(name) < 0) {
        const int current = ui->listWidgetHong->currentRow();
        auto *item = new QListWidgetItem(name);
        ui->listWidgetHong->insertItem(current < 0 ? ui->listWidgetHong->count() : current + 1, item);
        ui->listWidgetHong->setItemWidget(item, new ItemList);
    }
    if (name == m_shownMacro && !macroHasUnsavedEdits() && !g_macroRecording)
        showMacro(name);
}

// ---- Files --------------------------------------------------------------------

bool Buttoninterface::SaveMacroFile(QString name, QString loopMode)
{
    // One snapshot, one write: nothing that runs meanwhile can mix another
    // macro's rows into the file or leave it empty.
    return replaceFileContent(macroFilePath(m_macroDir, name), macroFileBytes(loopMode, eventRows()));
}

bool Buttoninterface::AppendMacroFile(QString name, MacroRows rows)
{
    return appendMacroFile(m_macroDir, name, rows);
}

bool Buttoninterface::WriteMacroFile(QString name, QString text)
{
    return writeMacroFile(m_macroDir, name, text);
}

QString Buttoninterface::ReadMacroHeader(QString name)
{
    return readMacroHeader(m_macroDir, name);
}

void Buttoninterface::ReadMacroFile(MacroDownloadRecord *block, QString name, int index, bool *ok)
{
    Q_UNUSED(index);
    *block = emptyMacroBlock();
    *ok = g_uiWriteEnabled && readMacroFile(m_macroDir, name, block);
}

// ---- Create, rename, delete ---------------------------------------------------

void Buttoninterface::showRecordingNotice()
{
    ExeIsRun notice;
    notice.showSecondText();
    placeNotice(&notice, -100, -50);
    notice.exec();
}

void Buttoninterface::showSameMacroNotice()
{
    SameMacro notice;
    placeNotice(&notice, -100, -50);
    notice.exec();
}

QString Buttoninterface::askMacroName(bool rename)
{
    QuestionDialog dialog;
    dialog.setTextIndex(rename);
    placeNotice(&dialog, 0, -28);
    dialog.exec();
    return dialog.macroName;
}

void Buttoninterface::CreateMewMacro()
{
    createMacro();
}

void Buttoninterface::on_NewHong_clicked()
{
    createMacro();
}

void Buttoninterface::createMacro()
{
    if (g_macroRecording) {
        showRecordingNotice();
        return;
    }
    const QString name = askMacroName(false);
    if (!isMacroFileName(name))
        return;
    if (macroNameTaken(name)) {
        showSameMacroNotice();
        return;
    }
    appendMacroRow(name);
    clearMacroFile(m_macroDir, name);
    showMacro(name);
    selectShownRow();
    // Through the change handlers, as a choice of the user would.
    ui->ReNumber->setChecked(true);
    ui->NumberEdit->setValue(1);
}

void Buttoninterface::RenameMacro()
{
    renameCurrentMacro();
}

void Buttoninterface::SlotRenameItemMacro()
{
    renameCurrentMacro();
}

void Buttoninterface::renameCurrentMacro()
{
    QListWidgetItem *item = currentMacroItem();
    if (!item)
        return;
    const QString oldName = item->text();
    const QString newName = askMacroName(true);
    if (isMacroFileName(newName)) {
        if (macroNameTaken(newName)) {
            showSameMacroNotice();
        } else if (macroRowIndex(oldName) >= 0 && renameMacroFile(m_macroDir, oldName, newName)) {
            // Only a renamed file renames the row and the buttons bound to it.
            ui->listWidgetHong->item(macroRowIndex(oldName))->setText(newName);
            if (m_shownMacro == oldName)
                m_shownMacro = newName;
            PostMsg::instance()->postMacroRename(oldName, newName);
        }
    }
    selectShownRow();
}

void Buttoninterface::DeleteMacro()
{
    on_DeleteHong_clicked();
}

void Buttoninterface::on_DeleteHong_clicked()
{
    if (g_macroRecording) {
        showRecordingNotice();
        return;
    }
    deleteCurrentMacro();
}

void Buttoninterface::SlotDeleteItemMacro()
{
    deleteCurrentMacro();
}

void Buttoninterface::deleteCurrentMacro()
{
    QListWidgetItem *item = currentMacroItem();
    if (!item)
        return;
    const QString name = item->text();
    DeleteConfirm confirm;
    placeNotice(&confirm, -100, -50);
    confirm.exec();
    // A file that stays would bring the macro back and keep its buttons.
    const bool gone = confirm.accepted && macroRowIndex(name) >= 0
                      && (!QFileInfo::exists(macroFilePath(m_macroDir, name)) || removeMacroFile(m_macroDir, name));
    if (gone) {
        PostMsg::instance()->postDeleteMacroButton(m_macroDeletedPrefix + name);
        const int row = macroRowIndex(name);
        ui->listWidgetHong->removeItemWidget(ui->listWidgetHong->item(row));
        delete ui->listWidgetHong->takeItem(row);
        if (name == m_shownMacro)
            forgetShownMacro();
    }
    selectShownRow();
}

void Buttoninterface::SlotAddMacroButton() {}

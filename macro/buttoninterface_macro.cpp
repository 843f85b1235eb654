// The macro editor's list of macros on the device page: filling it from the
// macro folder, the page's views of the macro files, creating, renaming and
// deleting macros, and the slots through which the device data reach it.
#include "buttoninterface.h"
#include "ui_Buttoninterface.h"

#include "devicestate.h"
#include "macroeditorshared.h"
#include "macrofile.h"
#include "macroname.h"
#include "postmsg.h"

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
    insertMacroRow(ui->listWidgetHong, ui->listWidgetHong->count(), name);
}

QListWidgetItem *Buttoninterface::currentMacroItem() const
{
    return ui->listWidgetHong->currentRow() < 0 ? nullptr : ui->listWidgetHong->currentItem();
}

void Buttoninterface::selectShownRow()
{
    selectMacroRow(ui->listWidgetHong, m_shownMacro);
}

void Buttoninterface::macroArrivedFromDevice(const QString &name)
{
    if (!isMacroFileName(name))
        return;
    insertArrivedMacroRow(ui->listWidgetHong, name);
    if (name == m_shownMacro && !macroHasUnsavedEdits() && !g_macroRecording)
        showMacro(name);
}

// ---- Create, rename, delete ---------------------------------------------------

void Buttoninterface::showRecordingNotice()
{
    showRecordingRefusal(this);
}

QString Buttoninterface::askMacroName(bool rename)
{
    return ::askMacroName(this, rename);
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
    if (!addNewMacro(this, ui->listWidgetHong, m_macroDir, name))
        return;
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
    renameChosenMacro(this, ui->listWidgetHong, m_macroDir, &m_shownMacro);
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
    const QString name = deleteChosenMacro(this, ui->listWidgetHong, m_macroDir, m_macroDeletedPrefix);
    if (!name.isEmpty() && name == m_shownMacro)
        forgetShownMacro();
    selectShownRow();
}

void Buttoninterface::SlotAddMacroButton() {}

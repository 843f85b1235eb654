// The controls around the macro editor's lists on the device page: choosing
// a macro, its loop mode, saving, the macro list's context menu, exchange
// files and the reset when the page is left.
#include "buttoninterface.h"
#include "ui_Buttoninterface.h"

#include "macroeditorshared.h"
#include "macroexchange.h"
#include "macroexchangedialog.h"
#include "macrofile.h"
#include "postmsg.h"

#include <QButtonGroup>
#include <QListWidgetItem>
#include <QSignalBlocker>

namespace {
LoopModeBoxes loopBoxes(Ui::Buttoninterface *ui, QButtonGroup *group)
{
    return {group, ui->ReUntilLoose, ui->ReUntilClick, ui->ReUntilClick_2, ui->ReNumber, ui->NumberEdit};
}
} // namespace

// ---- Choosing a macro -----------------------------------------------------------

void Buttoninterface::on_listWidgetHong_clicked(const QModelIndex &index)
{
    Q_UNUSED(index);
    LoadMacroFile(QString());
}

void Buttoninterface::LoadMacroFile(QString file)
{
    Q_UNUSED(file);
    if (QListWidgetItem *item = currentMacroItem())
        showMacro(item->text());
}

void Buttoninterface::showMacro(const QString &name)
{
    clearEventList();
    m_shownMacro = name;
    MacroFileContent content;
    loadMacroFile(m_macroDir, name, buttonPageMouseNames(), &content);
    if (content.hasLoopLine)
        restoreLoopMode(content.loopText);
    appendEventRows(content.rows);
    // What was changed belonged to the macro shown before.
    m_macroEventsChanged = false;
    m_macroSettingsChanged = false;
    ui->Save->hide();
}

void Buttoninterface::forgetShownMacro()
{
    clearEventList();
    m_shownMacro.clear();
    m_macroEventsChanged = false;
    m_macroSettingsChanged = false;
    ui->Save->hide();
}

void Buttoninterface::restoreLoopMode(const QString &loopText)
{
    showLoopMode(loopBoxes(ui, m_repeatModeGroup), loopText);
}

QString Buttoninterface::loopModeText() const
{
    return loopModeOf(loopBoxes(ui, m_repeatModeGroup), QString());
}

void Buttoninterface::on_NumberEdit_valueChanged(int value)
{
    if (!repeatCountChanged(ui->NumberEdit, value))
        return;
    m_macroSettingsChanged = true;
    showSaveButton();
}

// ---- Saving ----------------------------------------------------------------------

void Buttoninterface::on_Save_clicked()
{
    if (g_macroRecording) {
        showRecordingNotice();
        return;
    }
    ui->Save->hide();
    if (m_shownMacro.isEmpty())
        return;
    // Nothing saved: the edits stay marked and can be saved again.
    if (!saveShownMacro(m_macroDir, m_shownMacro, loopModeText(), eventRows(), &m_macroEventsChanged,
                        &m_macroSettingsChanged))
        ui->Save->show();
}

// ---- The macro list's menu ---------------------------------------------------------

void Buttoninterface::on_listWidgetHong_customContextMenuRequested(const QPoint &pos)
{
    if (g_macroRecording)
        return;
    runMacroListMenu(this, ui->listWidgetHong, pos,
                     {m_exportMacroText, m_renameMacroText, m_deleteMacroText, m_newMacroText, m_importMacroText,
                      [this] { ExPortMacro(); }, [this] { RenameMacro(); }, [this] { DeleteMacro(); },
                      [this] { CreateMewMacro(); }, [this] { InPortMacro(); }});
    selectShownRow();
}

// ---- Exchange files ----------------------------------------------------------------

void Buttoninterface::ExPortMacro()
{
    exportChosenMacro(this, ui->listWidgetHong, m_macroDir, m_shownMacro, loopModeText(), eventRows(),
                      buttonPageMouseNames());
}

void Buttoninterface::InPortMacro()
{
    const QString name = importChosenMacro(this, ui->listWidgetHong, m_macroDir, buttonPageMouseNames());
    if (name.isEmpty())
        return;
    // Shown as a chosen macro is, loop mode included, so a save keeps it.
    showMacro(name);
    selectShownRow();
}

// ---- Leaving the page ----------------------------------------------------------------

void Buttoninterface::SlotSetMacroPage()
{
    leaveRecording();
    ui->Save->hide();
}

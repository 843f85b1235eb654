// The stand-alone macro page's list of macros: choosing, naming, renaming,
// deleting, the repeat mode, saving, exchange files and the device's copies.
#include "macro.h"
#include "ui_Macro.h"

#include "devicesetters.h"
#include "keyboardhook.h"
#include "macroblock.h"
#include "macroeditorshared.h"
#include "macrofile.h"
#include "macroname.h"
#include "postmsg.h"

#include <QListWidgetItem>
#include <QSignalBlocker>

namespace {
// The name field keeps names shorter than the device's name field.
constexpr int kNameFieldBytes = 24;
} // namespace

QListWidgetItem *Macro::currentMacroItem() const
{
    return ui->listWidgetHong->currentRow() < 0 ? nullptr : ui->listWidgetHong->currentItem();
}

// ---- Choosing a macro ---------------------------------------------------------------

void Macro::on_listWidgetHong_clicked(const QModelIndex &index)
{
    Q_UNUSED(index);
    if (QListWidgetItem *item = currentMacroItem())
        showMacro(item->text());
}

void Macro::showMacro(const QString &name)
{
    ui->listWidgetKey->clear();
    m_shownMacro = name;
    MacroFileContent content;
    loadMacroFile(m_macroDir, name, m_mouseNames, &content);
    m_shownLoopText = content.loopText;
    showLoopMode(loopBoxes(), content.loopText);
    appendEventRows(content.rows);
    // What was changed belonged to the macro shown before.
    m_macroEventsChanged = false;
    m_macroSettingsChanged = false;
    ui->Save->hide();
}

void Macro::forgetShownMacro()
{
    ui->listWidgetKey->clear();
    m_shownMacro.clear();
    m_shownLoopText.clear();
    m_macroEventsChanged = false;
    m_macroSettingsChanged = false;
    ui->Save->hide();
}

LoopModeBoxes Macro::loopBoxes() const
{
    return {m_repeatModeGroup, ui->ReUntilLoose, ui->ReUntilClick, nullptr, ui->ReNumber, ui->NumberEdit};
}

QString Macro::loopModeText() const
{
    return loopModeOf(loopBoxes(), m_shownLoopText);
}

void Macro::on_NumberEdit_valueChanged(int value)
{
    if (!repeatCountChanged(ui->NumberEdit, value))
        return;
    m_macroSettingsChanged = true;
    showSaveButton();
}

// ---- New macros ---------------------------------------------------------------------

void Macro::on_MacroName_textEdited(const QString &text)
{
    QString name = text;
    if (name.endsWith(QLatin1Char(' ')))
        name.remove(QLatin1Char(' '));
    name = cutToLocal8Bit(name, kNameFieldBytes);
    if (name != text)
        ui->MacroName->setText(name);
}

void Macro::on_MacroNameEnter_clicked()
{
    // Pasted text passes no key filter: the name still has to name a file.
    createMacro(usableMacroName(ui->MacroName->text()));
    ui->MacroName->clear();
    ui->MacroName->clearFocus();
}

void Macro::CreateMewMacro()
{
    if (g_standaloneMacroRecording) {
        showRecordingRefusal(this);
        return;
    }
    createMacro(askMacroName(this, false));
}

void Macro::createMacro(const QString &name)
{
    if (name.isEmpty())
        return;
    if (g_standaloneMacroRecording) {
        showRecordingRefusal(this);
        return;
    }
    if (!addNewMacro(this, ui->listWidgetHong, m_macroDir, name))
        return;
    showMacro(name);
    selectMacroRow(ui->listWidgetHong, name);
    // Through the change handlers, as a choice of the user would.
    ui->ReNumber->setChecked(true);
    ui->NumberEdit->setValue(1);
}

// ---- Rename and delete -----------------------------------------------------------------

void Macro::RenameMacro()
{
    renameCurrentMacro();
}

void Macro::SlotRenameItemMacro()
{
    renameCurrentMacro();
}

void Macro::renameCurrentMacro()
{
    renameChosenMacro(this, ui->listWidgetHong, m_macroDir, &m_shownMacro);
}

void Macro::DeleteMacro()
{
    if (g_standaloneMacroRecording) {
        showRecordingRefusal(this);
        return;
    }
    deleteCurrentMacro();
}

void Macro::SlotDeleteItemMacro()
{
    deleteCurrentMacro();
}

void Macro::deleteCurrentMacro()
{
    const QString name = deleteChosenMacro(this, ui->listWidgetHong, m_macroDir, m_macroDeletedPrefix);
    if (!name.isEmpty() && name == m_shownMacro)
        forgetShownMacro();
    selectMacroRow(ui->listWidgetHong, m_shownMacro);
}

// ---- The list's menu ------------------------------------------------------------------

void Macro::on_listWidgetHong_customContextMenuRequested(const QPoint &pos)
{
    if (g_standaloneMacroRecording)
        return;
    runMacroListMenu(this, ui->listWidgetHong, pos,
                     {m_exportMacroText, m_renameMacroText, m_deleteMacroText, m_newMacroText, m_importMacroText,
                      [this] { ExPortMacro(); }, [this] { RenameMacro(); }, [this] { DeleteMacro(); },
                      [this] { CreateMewMacro(); }, [this] { InPortMacro(); }});
    selectMacroRow(ui->listWidgetHong, m_shownMacro);
}

// ---- Saving ------------------------------------------------------------------------------

void Macro::on_Save_clicked()
{
    if (g_standaloneMacroRecording) {
        showRecordingRefusal(this);
        return;
    }
    ui->Save->hide();
    if (m_shownMacro.isEmpty())
        return;
    const QString loop = loopModeText();
    // Nothing saved: the edits stay marked and can be saved again.
    if (!saveShownMacro(m_macroDir, m_shownMacro, loop, eventRows(), &m_macroEventsChanged, &m_macroSettingsChanged)) {
        showSaveButton();
        return;
    }
    m_shownLoopText = loop;
}

// ---- Exchange files ----------------------------------------------------------------------

void Macro::ExPortMacro()
{
    // The shown macro in the events the device page's editor reads back,
    // not its delay rows.
    exportChosenMacro(this, ui->listWidgetHong, m_macroDir, m_shownMacro, loopModeText(), eventRows(), m_mouseNames);
}

void Macro::InPortMacro()
{
    const QString name = importChosenMacro(this, ui->listWidgetHong, m_macroDir, m_mouseNames);
    if (name.isEmpty())
        return;
    showMacro(name);
    selectMacroRow(ui->listWidgetHong, name);
}

// ---- The device ---------------------------------------------------------------------------

void Macro::SlotMacroDownLoadData(QString MacroName, int index)
{
    if (index < 0 || index > 5 || MacroName.isEmpty() || MacroName != m_shownMacro || !pageMayWrite())
        return;
    resendButtonMacro(index, buildMacroBlock(MacroName, eventRows()).bytes());
}

void Macro::SlotButtonToMacro(FlashDataMap DataMap, int KeyNumer)
{
    if (KeyNumer < 0 || KeyNumer > 15 || DataMap.buttonFunctions[KeyNumer].type != kMacroFunctionType)
        return;
    const MacroDownloadRecord block = macroBlockOf(DataMap, KeyNumer);
    // As on the device page: a name that cannot be a macro's file name gets
    // no file, rather than one under a cleaned name that may be another
    // macro's.
    const QString name = macroBlockStoredName(block);
    if (!isMacroFileName(name))
        return;
    const QString loop = QString::number(DataMap.buttonFunctions[KeyNumer].param);
    if (!SaveMacroFile(m_macroDir, name, loop, macroBlockRows(block, m_mouseNames)))
        return;
    insertArrivedMacroRow(ui->listWidgetHong, name);
    // Unsaved edits of the shown macro stay on screen.
    if (name == m_shownMacro && !macroHasUnsavedEdits() && !g_standaloneMacroRecording)
        showMacro(name);
}

void Macro::SlotSetMacroPage()
{
    endRecording();
    ui->Save->hide();
}

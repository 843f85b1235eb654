// The controls around the macro editor's lists on the device page: choosing
// a macro, its loop mode, saving, the macro list's context menu, exchange
// files and the reset when the page is left.
#include "buttoninterface.h"
#include "ui_Buttoninterface.h"

#include "dialogmain.h"
#include "keyboardhook.h"
#include "macroeditorshared.h"
#include "macroexchange.h"
#include "macroexchangedialog.h"
#include "macrofile.h"
#include "postmsg.h"

#include <QButtonGroup>
#include <QListWidgetItem>
#include <QSignalBlocker>

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
    if (loopText.isEmpty())
        return;
    // Restoring is no change of the user's.
    const QSignalBlocker groupBlocker(m_repeatModeGroup);
    const QSignalBlocker countBlocker(ui->NumberEdit);
    switch (const int mode = macroLoopMode(loopText)) {
    case kLoopUntilReleased:
        ui->ReUntilLoose->setChecked(true);
        break;
    case kLoopUntilAnyKey:
        ui->ReUntilClick->setChecked(true);
        break;
    case kLoopUntilPressedAgain:
        ui->ReUntilClick_2->setChecked(true);
        break;
    default:
        ui->ReNumber->setChecked(true);
        ui->NumberEdit->setValue(mode);
        break;
    }
}

QString Buttoninterface::loopModeText() const
{
    if (ui->ReUntilLoose->isChecked())
        return QString::number(kLoopUntilReleased);
    if (ui->ReUntilClick->isChecked())
        return QString::number(kLoopUntilAnyKey);
    if (ui->ReUntilClick_2->isChecked())
        return QString::number(kLoopUntilPressedAgain);
    return QString::number(ui->NumberEdit->value());
}

void Buttoninterface::on_NumberEdit_valueChanged(int value)
{
    if (value == 0) {
        const QSignalBlocker blocker(ui->NumberEdit);
        ui->NumberEdit->setValue(1);
        return;
    }
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
    const QString name = m_shownMacro;
    if (!SaveMacroFile(name, loopModeText())) {
        // Nothing was saved: the edits stay marked and can be saved again.
        ui->Save->show();
        return;
    }
    PostMsg *hub = PostMsg::instance();
    if (m_macroEventsChanged) {
        m_macroEventsChanged = false;
        hub->postUpDataMacro(name, 0);
    }
    if (m_macroSettingsChanged) {
        m_macroSettingsChanged = false;
        hub->postUpDataMacro(name, 1);
    }
}

// ---- The macro list's menu ---------------------------------------------------------

void Buttoninterface::on_listWidgetHong_customContextMenuRequested(const QPoint &pos)
{
    if (g_macroRecording)
        return;
    MacroMenuEntries entries;
    const auto add = [this, &entries](const QString &text, void (Buttoninterface::*entry)()) {
        entries.append(qMakePair(text, std::function<void()>([this, entry] { (this->*entry)(); })));
    };
    if (QListWidgetItem *item = ui->listWidgetHong->itemAt(pos)) {
        // The entries act on the row under the cursor.
        ui->listWidgetHong->setCurrentItem(item);
        add(m_exportMacroText, &Buttoninterface::ExPortMacro);
        add(m_renameMacroText, &Buttoninterface::RenameMacro);
        add(m_deleteMacroText, &Buttoninterface::DeleteMacro);
    } else {
        add(m_newMacroText, &Buttoninterface::CreateMewMacro);
        add(m_importMacroText, &Buttoninterface::InPortMacro);
    }
    runMacroMenu(this, entries);
    selectShownRow();
}

// ---- Exchange files ----------------------------------------------------------------

void Buttoninterface::ExPortMacro()
{
    QListWidgetItem *item = currentMacroItem();
    if (!item)
        return;
    const QString name = item->text();
    const QString path = askExchangeFile(this, true);
    if (path.isEmpty())
        return;
    if (name == m_shownMacro) {
        // The macro as the editor shows it, saved or not.
        exportMacroExchange(path, name, loopModeText(), eventRows());
        return;
    }
    MacroFileContent content;
    loadMacroFile(m_macroDir, name, buttonPageMouseNames(), &content);
    const int loop = content.loopText.isEmpty() ? 1 : macroLoopMode(content.loopText);
    exportMacroExchange(path, name, QString::number(loop), content.rows);
}

void Buttoninterface::InPortMacro()
{
    const QString path = askExchangeFile(this, false);
    if (path.isEmpty())
        return;
    const QString name = macroNameFromFileName(path);
    if (name.isEmpty())
        return;
    if (macroRowIndex(name) >= 0) {
        showSameMacroNotice();
        return;
    }
    MacroExchange exchange;
    switch (importMacroExchange(path, m_macroDir, name, buttonPageMouseNames(), &exchange)) {
    case MacroImported:
        break;
    case MacroImportNameTaken:
        showSameMacroNotice();
        return;
    case MacroImportUnreadable:
    case MacroImportNotWritten:
        return;
    }
    appendMacroRow(name);
    // Shown as a chosen macro is, loop mode included, so a save keeps it.
    showMacro(name);
    selectShownRow();
}

// ---- Leaving the page ----------------------------------------------------------------

void Buttoninterface::SlotSetMacroPage()
{
    PostMsg::instance()->postStartRecord(1);
    m_keyboardHook->RemoveKeyboardHook();
    ui->StopRecord->hide();
    ui->StartRecord->show();
    ui->NumberEdit->show();
    ui->listWidgetHong->setEnabled(true);
    // A recording hides the controls that insert single events.
    for (QWidget *w : {static_cast<QWidget *>(ui->lineEditDelay), static_cast<QWidget *>(ui->lineEditDelay_2),
                       static_cast<QWidget *>(ui->lineEditPress), static_cast<QWidget *>(ui->lineEditPress_2),
                       static_cast<QWidget *>(ui->lineEditRelease_2), static_cast<QWidget *>(ui->lineEditRelease),
                       static_cast<QWidget *>(ui->LeftButton_2), static_cast<QWidget *>(ui->RightButton_2),
                       static_cast<QWidget *>(ui->MidButton_2)})
        w->show();
    g_macroRecording = 0;
    m_lastRecordedKey = -1;
    ui->Save->hide();
}

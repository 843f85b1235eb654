// The stand-alone macro page's recording and its key boxes: both take keys
// from the program's keyboard hook, bound to this page while they run.
#include "macro.h"
#include "ui_Macro.h"

#include "globals.h"
#include "keyboardhook.h"
#include "macroeditorshared.h"

void Macro::on_StartRecord_clicked()
{
    if (m_shownMacro.isEmpty()) {
        showNoMacroChosen(this);
        return;
    }
    showRecordingLayout(this, true);
    m_macroEventsChanged = true;
    startRecordingSession(m_keyboardHook, bindKeyHookCallback(this, &Macro::UpdateCapslockTip), m_recordKeys,
                          m_recorder);
    g_standaloneMacroRecording = 1;
    ui->listWidgetKey->clear();
}

void Macro::endRecording()
{
    showRecordingLayout(this, false);
    stopRecordingSession(m_keyboardHook, m_recordKeys, m_recorder);
    g_standaloneMacroRecording = 0;
}

void Macro::on_StopRecord_clicked()
{
    endRecording();
    showSaveButton();
}

void Macro::UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu);
    qCDebug(lcDiagnostics) << downOrUp;
    const MacroRecordStep step = m_recorder.keyEvent(keyCode, downOrUp);
    if (step.delay) {
        // Without measured delays the events follow each other at once.
        const qint64 ms = ui->AutoInsertDelay->isChecked() ? step.elapsedMs : 0;
        insertRows(ui->listWidgetKey->count(), {makeDelayItem(quint32(qMax<qint64>(0, ms)))});
    }
    if (!step.row)
        return;
    insertRows(ui->listWidgetKey->count(), {makeEventItem(step.key)});
    ui->listWidgetKey->setCurrentRow(ui->listWidgetKey->count() - 1);
    if (step.limitReached) {
        g_standaloneMacroRecording = 0;
        stopRecordingSession(m_keyboardHook, m_recordKeys, m_recorder);
        showRecordingLimit(this);
    }
}

// ---- Key boxes -------------------------------------------------------------------------

void Macro::SlotFocusIn(int index)
{
    if (index == 0 || index == 1) {
        m_keyboardHook->InstallKeyboardHook();
        g_keyHookCallback = bindKeyHookCallback(this, index == 0 ? &Macro::UpdateCapslockTipB
                                                                 : &Macro::UpdateCapslockTipC);
    }
    qCDebug(lcDiagnostics) << index;
}

void Macro::SlotFocusOut()
{
    m_keyboardHook->RemoveKeyboardHook();
}

void Macro::UpdateCapslockTipB(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu);
    captureKeyName(ui->lineEditPress, keyCode, downOrUp);
}

void Macro::UpdateCapslockTipC(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu);
    captureKeyName(ui->lineEditRelease, keyCode, downOrUp);
}

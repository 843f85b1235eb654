// Recording keys into the shown macro, and the press and release fields that
// take one key each. Both hear keys through the page's keyboard hook, which
// reports them only while a window of the program has the focus.
#include "buttoninterface.h"
#include "ui_Buttoninterface.h"

#include "globals.h"
#include "keyboardhook.h"
#include "macroeditorshared.h"

// ---- Recording --------------------------------------------------------------------

void Buttoninterface::setRecordClock(std::function<qint64()> clock)
{
    m_recorder.setClock(std::move(clock));
}

void Buttoninterface::on_StartRecord_clicked()
{
    if (m_shownMacro.isEmpty()) {
        showNoMacroChosen(this);
        return;
    }
    showRecordingLayout(this, true);
    m_macroEventsChanged = true;
    startRecordingSession(m_keyboardHook, bindKeyHookCallback(this, &Buttoninterface::UpdateCapslockTip),
                          m_recordKeys, m_recorder);
    g_macroRecording = 1;
    // What is recorded replaces the macro's events.
    clearEventList();
}

void Buttoninterface::endRecording()
{
    g_macroRecording = 0;
    stopRecordingSession(m_keyboardHook, m_recordKeys, m_recorder);
}

void Buttoninterface::leaveRecording()
{
    showRecordingLayout(this, false);
    endRecording();
}

void Buttoninterface::on_StopRecord_clicked()
{
    leaveRecording();
    showSaveButton();
}

void Buttoninterface::UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu);
    qCDebug(lcDiagnostics) << downOrUp;
    const MacroRecordStep step = m_recorder.keyEvent(keyCode, downOrUp);
    // The delay belongs to the row before: the time from it to this key.
    if (step.delay)
        setLastEventDelay(ui->AutoInsertDelay->isChecked() ? double(step.elapsedMs) : ui->lineEditDelay->value());
    if (!step.row)
        return;
    appendEventRow(step.key.name, downOrUp);
    if (step.limitReached) {
        // The block holds no more; the hook goes before the notice opens, so
        // keys typed at the notice are not recorded.
        endRecording();
        showRecordingLimit(this);
    }
}

// ---- Key capture for single events -------------------------------------------------

void Buttoninterface::UpdateCapslockTipB(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu);
    captureKeyName(ui->lineEditPress, keyCode, downOrUp);
}

void Buttoninterface::UpdateCapslockTipC(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu);
    captureKeyName(ui->lineEditRelease, keyCode, downOrUp);
}

void Buttoninterface::insertCapturedKey(MyLineEdit *field, bool press)
{
    const QString name = field->text();
    if (name.isEmpty())
        return;
    // Inserted only while a macro is shown; the field empties either way.
    insertEventRow(name, press);
    field->clearFocus();
    field->clear();
}

void Buttoninterface::on_lineEditPress_2_clicked()
{
    insertCapturedKey(ui->lineEditPress, true);
}

void Buttoninterface::on_lineEditRelease_2_clicked()
{
    insertCapturedKey(ui->lineEditRelease, false);
}

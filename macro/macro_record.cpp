// The stand-alone macro page's recording and its key boxes: both take keys
// from the program's keyboard hook, bound to this page while they run.
#include "macro.h"
#include "ui_Macro.h"

#include "keyboardhook.h"
#include "keynumberlimit.h"
#include "macroeditorshared.h"
#include "postmsg.h"

#include <QDebug>

void Macro::showInsertControls(bool visible)
{
    for (QWidget *w : {static_cast<QWidget *>(ui->lineEditDelay), static_cast<QWidget *>(ui->lineEditDelay_2),
                       static_cast<QWidget *>(ui->lineEditPress), static_cast<QWidget *>(ui->lineEditPress_2),
                       static_cast<QWidget *>(ui->lineEditRelease_2), static_cast<QWidget *>(ui->lineEditRelease),
                       static_cast<QWidget *>(ui->LeftButton_2), static_cast<QWidget *>(ui->RightButton_2),
                       static_cast<QWidget *>(ui->MidButton_2)})
        w->setVisible(visible);
}

void Macro::on_StartRecord_clicked()
{
    if (m_shownMacro.isEmpty()) {
        showNoMacroChosen(this);
        return;
    }
    // Hidden first: a key box with the focus gives up its hook before the
    // recording installs its own.
    showInsertControls(false);
    PostMsg::instance()->postStartRecord(0);
    m_macroEventsChanged = true;
    m_keyboardHook->InstallKeyboardHook();
    g_keyHookCallback = bindKeyHookCallback(this, &Macro::UpdateCapslockTip);
    ui->StartRecord->hide();
    ui->StopRecord->show();
    g_standaloneMacroRecording = 1;
    m_recorder.start();
    ui->listWidgetKey->clear();
    ui->NumberEdit->hide();
    ui->listWidgetHong->setEnabled(false);
}

void Macro::endRecording()
{
    showInsertControls(true);
    PostMsg::instance()->postStartRecord(1);
    m_keyboardHook->RemoveKeyboardHook();
    m_recorder.stop();
    ui->StopRecord->hide();
    ui->StartRecord->show();
    ui->NumberEdit->show();
    ui->listWidgetHong->setEnabled(true);
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
    qDebug() << downOrUp;
    if (!g_standaloneMacroRecording) {
        m_recorder.keyEvent(keyCode, downOrUp);
        return;
    }
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
        m_keyboardHook->RemoveKeyboardHook();
        KeyNumberLimit notice;
        placeOverPage(&notice, this, -100, -50);
        notice.exec();
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
    qDebug() << index;
}

void Macro::SlotFocusOut()
{
    m_keyboardHook->RemoveKeyboardHook();
}

namespace {
// The box shows the key's name and takes no typed character while the
// key is down.
void captureKey(QLineEdit *box, int keyCode, bool down)
{
    box->setReadOnly(down);
    const QString name = virtualKeyMacroName(keyCode);
    qDebug() << name;
    box->setText(name);
}
} // namespace

void Macro::UpdateCapslockTipB(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu);
    captureKey(ui->lineEditPress, keyCode, downOrUp);
}

void Macro::UpdateCapslockTipC(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu);
    captureKey(ui->lineEditRelease, keyCode, downOrUp);
}

// Recording keys into the shown macro, and the press and release fields that
// take one key each. Both hear keys through the page's keyboard hook, which
// reports them only while a window of the program has the focus.
#include "buttoninterface.h"
#include "ui_Buttoninterface.h"

#include "dialogmain.h"
#include "exeisrun.h"
#include "keyboardhook.h"
#include "keynumberlimit.h"
#include "macroblock.h"
#include "macrokeys.h"
#include "postmsg.h"

#include <QCoreApplication>
#include <QDebug>

#include <chrono>

// ---- Recording --------------------------------------------------------------------

void Buttoninterface::setRecordClock(std::function<qint64()> clock)
{
    m_recordClock = std::move(clock);
}

qint64 Buttoninterface::recordNow() const
{
    if (m_recordClock)
        return m_recordClock();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Buttoninterface::setInsertControlsVisible(bool visible)
{
    for (QWidget *w : {static_cast<QWidget *>(ui->lineEditDelay), static_cast<QWidget *>(ui->lineEditDelay_2),
                       static_cast<QWidget *>(ui->lineEditPress), static_cast<QWidget *>(ui->lineEditPress_2),
                       static_cast<QWidget *>(ui->lineEditRelease_2), static_cast<QWidget *>(ui->lineEditRelease),
                       static_cast<QWidget *>(ui->LeftButton_2), static_cast<QWidget *>(ui->RightButton_2),
                       static_cast<QWidget *>(ui->MidButton_2)})
        w->setVisible(visible);
}

void Buttoninterface::on_StartRecord_clicked()
{
    if (m_shownMacro.isEmpty()) {
        ExeIsRun notice;
        notice.showFirstText();
        placeNotice(&notice, -100, -50);
        notice.exec();
        return;
    }
    // Hidden first: a key field losing the focus removes its own hook.
    setInsertControlsVisible(false);
    PostMsg::instance()->postStartRecord(0);
    m_recordedKeyCount = 0;
    m_macroEventsChanged = true;
    m_keyboardHook->InstallKeyboardHook();
    g_keyHookCallback = bindKeyHookCallback(this, &Buttoninterface::UpdateCapslockTip);
    QCoreApplication::instance()->installEventFilter(this);
    ui->StartRecord->hide();
    ui->StopRecord->show();
    g_macroRecording = 1;
    m_firstRecordEvent = true;
    // What is recorded replaces the macro's events.
    clearEventList();
    ui->NumberEdit->hide();
    ui->listWidgetHong->setEnabled(false);
    m_recordHeldKeys.clear();
}

void Buttoninterface::endRecording()
{
    g_macroRecording = 0;
    m_recordedKeyCount = 0;
    m_recordHeldKeys.clear();
    m_keyboardHook->RemoveKeyboardHook();
    QCoreApplication::instance()->removeEventFilter(this);
}

bool Buttoninterface::eventFilter(QObject *watched, QEvent *event)
{
    // The keys of a recording belong to the macro: the hook hears them as
    // they reach the window, and they go no further. Otherwise Space or
    // Enter would press the page's focused button (opening its function
    // menu, where the next keys chose a function) and the arrows would move
    // its lists, all while being recorded.
    const QEvent::Type type = event->type();
    if (g_macroRecording && watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == window()
        && (type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride))
        return true;
    return QWidget::eventFilter(watched, event);
}

void Buttoninterface::leaveRecording()
{
    setInsertControlsVisible(true);
    PostMsg::instance()->postStartRecord(1);
    endRecording();
    ui->StopRecord->hide();
    ui->StartRecord->show();
    ui->NumberEdit->show();
    ui->listWidgetHong->setEnabled(true);
}

void Buttoninterface::on_StopRecord_clicked()
{
    leaveRecording();
    showSaveButton();
}

void Buttoninterface::UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu);
    qDebug() << downOrUp;
    if (!g_macroRecording) {
        m_recordMark = recordNow();
        return;
    }
    // A held key repeats its key-down: only the first one is a press. Keys
    // are told apart by code, so rolling from one key to the next keeps
    // every press. A release always counts, even of a key held before the
    // recording began.
    if (downOrUp) {
        if (m_recordHeldKeys.contains(keyCode))
            return;
        m_recordHeldKeys.insert(keyCode);
    } else {
        m_recordHeldKeys.remove(keyCode);
    }
    // The delay belongs to the row before: the time from it to this key.
    const qint64 now = recordNow();
    if (m_firstRecordEvent) {
        m_firstRecordEvent = false;
    } else {
        qDebug() << now - m_recordMark;
        setLastEventDelay(ui->AutoInsertDelay->isChecked() ? double(now - m_recordMark) : ui->lineEditDelay->value());
    }
    m_recordMark = now;

    MacroRow row;
    const bool named = recordedRow(keyCode, downOrUp, &row);
    qDebug() << row.name;
    if (!named) {
        // No row; the next key starts the clock again.
        m_firstRecordEvent = true;
        return;
    }
    ++m_recordedKeyCount;
    appendEventRow(row.name, downOrUp);
    if (m_recordedKeyCount == kMacroMaxEvents) {
        // The block holds no more; the hook goes before the notice opens, so
        // keys typed at the notice are not recorded.
        endRecording();
        KeyNumberLimit notice;
        placeNotice(&notice, -100, -50);
        notice.exec();
    }
}

// ---- Key capture for single events -------------------------------------------------

void Buttoninterface::captureKey(MyLineEdit *field, int keyCode, bool down)
{
    // Read-only while the key is down, so the key itself types nothing.
    field->setReadOnly(down);
    const QString name = virtualKeyMacroName(keyCode);
    qDebug() << name;
    field->setText(name);
}

void Buttoninterface::UpdateCapslockTipB(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu);
    captureKey(ui->lineEditPress, keyCode, downOrUp);
}

void Buttoninterface::UpdateCapslockTipC(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu);
    captureKey(ui->lineEditRelease, keyCode, downOrUp);
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

// The stand-alone macro page's event list. Each event row is followed by
// its delay, a row of its own ("25ms" beside the clock picture):
//
//   A  press
//   10ms
//   A  release
//   10ms
//
// New events come with a "0ms" delay row, so events and delays keep
// alternating; the file and the device get each event with the delay rows
// after it added up.
#include "macro.h"
#include "ui_Macro.h"

#include "macroeditorshared.h"
#include "macrokeys.h"

#include <QListWidgetItem>

namespace {
// Marks a delay row; event rows carry their key in the shared roles.
constexpr int kDelayRowRole = Qt::UserRole + 8;
constexpr int kDelayMsRole = Qt::UserRole + 9;

// The mouse buttons of the three add buttons: left, right, middle.
constexpr int kLeftButton = 0x01;
constexpr int kRightButton = 0x02;
constexpr int kMiddleButton = 0x04;
} // namespace

bool Macro::isDelayRow(int row) const
{
    const QListWidgetItem *item = ui->listWidgetKey->item(row);
    return item && item->data(kDelayRowRole).toBool();
}

QListWidgetItem *Macro::makeDelayItem(quint32 ms) const
{
    auto *item = new QListWidgetItem(QIcon(m_pictureDir + "MacroTime.png"), macroDelayText(ms));
    item->setData(kDelayRowRole, true);
    item->setData(kDelayMsRole, ms);
    return item;
}

void Macro::insertRows(int at, const QList<QListWidgetItem *> &items)
{
    at = qBound(0, at, ui->listWidgetKey->count());
    for (QListWidgetItem *item : items)
        ui->listWidgetKey->insertItem(at++, item);
}

MacroRows Macro::eventRows() const
{
    MacroRows rows;
    quint32 delay = 0;
    for (int i = 0; i < ui->listWidgetKey->count(); ++i) {
        const QListWidgetItem *item = ui->listWidgetKey->item(i);
        if (item->data(kDelayRowRole).toBool()) {
            // A delay before the first event has no event to follow.
            if (!rows.isEmpty()) {
                delay += item->data(kDelayMsRole).toUInt();
                rows.last().delay = macroDelayText(delay);
            }
            continue;
        }
        rows.append(eventOfItem(item));
        rows.last().delay = macroDelayText(0);
        delay = 0;
    }
    return rows;
}

void Macro::appendEventRows(const MacroRows &rows)
{
    for (const MacroRow &row : rows)
        insertRows(ui->listWidgetKey->count(), {makeEventItem(row), makeDelayItem(macroDelayMs(row.delay))});
}

// Where a new event goes relative to the current row c of n rows; a pair
// goes the same way with the release and its delay after the press.
void Macro::insertEventRow(const MacroRow &key)
{
    if (!roomForEvents(this, eventRows().size(), 1))
        return;
    const int n = ui->listWidgetKey->count();
    const int c = ui->listWidgetKey->currentRow();
    QListWidgetItem *event = makeEventItem(key);
    if (c < 0)
        insertRows(n, {event, makeDelayItem(0)});
    else if (c == n - 1)
        insertRows(n, {makeDelayItem(0), event});
    else if (isDelayRow(c))
        insertRows(c + 1, {event, makeDelayItem(0)});
    else
        insertRows(c + 2, {event, makeDelayItem(0)});
    markEventsChanged();
}

void Macro::insertEventPair(const MacroRow &press)
{
    MacroRow down = press;
    MacroRow up = press;
    down.release = false;
    up.release = true;
    if (!roomForEvents(this, eventRows().size(), 2))
        return;
    const int n = ui->listWidgetKey->count();
    const int c = ui->listWidgetKey->currentRow();
    if (n == 0)
        insertRows(0, {makeEventItem(down), makeDelayItem(0), makeEventItem(up)});
    else if (c < 0 || c == n - 1)
        insertRows(n, {makeDelayItem(0), makeEventItem(down), makeDelayItem(0), makeEventItem(up)});
    else if (c == 0)
        insertRows(2, {makeEventItem(down), makeDelayItem(0), makeEventItem(up), makeDelayItem(0)});
    else if (isDelayRow(c))
        insertRows(c + 1, {makeEventItem(down), makeDelayItem(0), makeEventItem(up), makeDelayItem(0)});
    else
        insertRows(c + 1, {makeDelayItem(0), makeEventItem(down), makeDelayItem(0), makeEventItem(up)});
    markEventsChanged();
}

void Macro::insertMouseButtonPair(int code)
{
    if (m_shownMacro.isEmpty())
        return;
    MacroRow row;
    row.name = MouseButtonName(code, m_mouseNames);
    row.code = code;
    row.kind = kMacroKindMouse;
    insertEventPair(row);
}

void Macro::insertDelay(quint32 ms)
{
    const int c = ui->listWidgetKey->currentRow();
    if (c < 0) {
        insertRows(ui->listWidgetKey->count(), {makeDelayItem(ms)});
    } else if (c == 0) {
        return;
    } else if (isDelayRow(c)) {
        delete ui->listWidgetKey->takeItem(c);
        insertRows(c, {makeDelayItem(ms)});
        ui->listWidgetKey->setCurrentRow(c);
    } else if (isDelayRow(c - 1)) {
        delete ui->listWidgetKey->takeItem(c - 1);
        insertRows(c - 1, {makeDelayItem(ms)});
    } else {
        insertRows(c, {makeDelayItem(ms)});
        ui->listWidgetKey->setCurrentRow(c);
    }
    markEventsChanged();
}

void Macro::markEventsChanged()
{
    m_macroEventsChanged = true;
    showSaveButton();
}

// ---- Inserting by hand ---------------------------------------------------------------

void Macro::on_LeftButton_2_clicked()
{
    insertMouseButtonPair(kLeftButton);
}

void Macro::on_RightButton_2_clicked()
{
    insertMouseButtonPair(kRightButton);
}

void Macro::on_MidButton_2_clicked()
{
    insertMouseButtonPair(kMiddleButton);
}

void Macro::on_lineEditPress_2_clicked()
{
    insertCapturedKey(ui->lineEditPress, false);
}

void Macro::on_lineEditRelease_2_clicked()
{
    insertCapturedKey(ui->lineEditRelease, true);
}

void Macro::insertCapturedKey(QWidget *box, bool release)
{
    auto *edit = static_cast<QLineEdit *>(box);
    const QString name = edit->text();
    if (name.isEmpty())
        return;
    // Only a key the boxes captured: text from an input method or a paste
    // names no key and would reach the device as nothing.
    MacroKey key;
    if (!m_shownMacro.isEmpty() && macroKeyForName(name, m_mouseNames, &key))
        insertEventRow(macroRowForName(name, release, m_mouseNames));
    edit->clearFocus();
    edit->clear();
}

void Macro::on_lineEditDelay_2_clicked()
{
    ui->lineEditDelay->clearFocus();
    if (m_shownMacro.isEmpty() || ui->listWidgetKey->currentRow() < 0)
        return;
    insertDelay(quint32(ui->lineEditDelay->value()));
}

// ---- Editing rows -----------------------------------------------------------------------

void Macro::SlotRenameItemKey()
{
    if (g_standaloneMacroRecording) {
        showRecordingRefusal(this);
        return;
    }
    QListWidgetItem *item = ui->listWidgetKey->currentRow() < 0 ? nullptr : ui->listWidgetKey->currentItem();
    if (!item)
        return;
    const int row = ui->listWidgetKey->currentRow();
    if (isDelayRow(row)) {
        quint32 ms = 0;
        if (!askDelay(this, item->text(), &ms) || ui->listWidgetKey->item(row) != item)
            return;
        item->setText(macroDelayText(ms));
        item->setData(kDelayMsRole, ms);
    } else {
        const QString keyName = askKeyName(this);
        if (keyName.isEmpty() || ui->listWidgetKey->item(row) != item)
            return;
        setEventKey(ui->listWidgetKey, row, macroRowForName(keyName, false, m_mouseNames),
                    [this](int i) { return !isDelayRow(i); });
    }
    markEventsChanged();
}

void Macro::SlotDeleteItemKey()
{
    if (g_standaloneMacroRecording) {
        showRecordingRefusal(this);
        return;
    }
    const int row = ui->listWidgetKey->currentRow();
    if (m_shownMacro.isEmpty() || row < 0)
        return;
    delete ui->listWidgetKey->takeItem(row);
    markEventsChanged();
}

void Macro::on_listWidgetKey_customContextMenuRequested(const QPoint &pos)
{
    QListWidgetItem *item = ui->listWidgetKey->itemAt(pos);
    if (!item || g_standaloneMacroRecording)
        return;
    ui->listWidgetKey->setCurrentItem(item);
    runMacroMenu(this, {qMakePair(m_editEventText, std::function<void()>([this] { SlotRenameItemKey(); })),
                        qMakePair(m_deleteEventText, std::function<void()>([this] { SlotDeleteItemKey(); }))});
}

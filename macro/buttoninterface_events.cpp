// The event list of the macro editor on the device page: its rows, the
// event chooser and mouse-button buttons that insert rows, and the row
// buttons that edit and delete them.
#include "buttoninterface.h"
#include "ui_Buttoninterface.h"

#include "itemlistkey.h"
#include "macroeditorshared.h"
#include "macrokeys.h"

#include <QListWidgetItem>
#include <QPointer>

namespace {
// The mouse buttons of the event chooser's entries 3 to 7.
constexpr int kChooserMouseCodes[] = {0x01, 0x02, 0x04, 0x10, 0x08};
constexpr int kFirstMouseEntry = 3;
} // namespace

QListWidgetItem *Buttoninterface::makeEventItem(const MacroRow &row) const
{
    return ::makeEventItem(row);
}

MacroRows Buttoninterface::eventRows() const
{
    MacroRows rows;
    for (int i = 0; i < ui->listWidgetKey->count(); ++i) {
        const QListWidgetItem *item = ui->listWidgetKey->item(i);
        MacroRow row = eventOfItem(item);
        if (const auto *widget = qobject_cast<const itemlistKey *>(ui->listWidgetKey->itemWidget(
                const_cast<QListWidgetItem *>(item))))
            row.delay = widget->text();
        rows.append(row);
    }
    return rows;
}

void Buttoninterface::insertEventRowAt(int row, QListWidgetItem *item)
{
    ui->listWidgetKey->insertItem(row, item);
    auto *widget = new itemlistKey;
    widget->setText(defaultDelayText());
    ui->listWidgetKey->setItemWidget(item, widget);
}

void Buttoninterface::appendEventRows(const MacroRows &rows)
{
    for (const MacroRow &row : rows) {
        QListWidgetItem *item = makeEventItem(row);
        insertEventRowAt(ui->listWidgetKey->count(), item);
        static_cast<itemlistKey *>(ui->listWidgetKey->itemWidget(item))->setText(row.delay);
    }
}

void Buttoninterface::clearEventList()
{
    ui->listWidgetKey->clear();
}

void Buttoninterface::appendEventRow(QString name, bool press)
{
    if (m_shownMacro.isEmpty())
        return;
    insertEventRowAt(ui->listWidgetKey->count(), makeEventItem(macroRowForName(name, !press, buttonPageMouseNames())));
    ui->listWidgetKey->setCurrentRow(ui->listWidgetKey->count() - 1);
}

void Buttoninterface::setLastEventDelay(double milliseconds)
{
    const int last = ui->listWidgetKey->count() - 1;
    if (m_shownMacro.isEmpty() || last < 0)
        return;
    auto *widget = static_cast<itemlistKey *>(ui->listWidgetKey->itemWidget(ui->listWidgetKey->item(last)));
    widget->setText(QString::number(milliseconds, 'f', 0) + "ms");
    ui->listWidgetKey->setCurrentRow(last);
}

void Buttoninterface::insertEventRows(const MacroRows &rows)
{
    if (m_shownMacro.isEmpty() || !roomForEvents(this, ui->listWidgetKey->count(), rows.size()))
        return;
    const int current = ui->listWidgetKey->currentRow();
    int at = current < 0 ? ui->listWidgetKey->count() : current + 1;
    for (const MacroRow &row : rows)
        insertEventRowAt(at++, makeEventItem(row));
    markEventsChanged();
}

void Buttoninterface::insertEventRow(QString name, bool press)
{
    insertEventRows({macroRowForName(name, !press, buttonPageMouseNames())});
}

void Buttoninterface::insertEventPair(MacroRow press)
{
    MacroRow release = press;
    press.release = false;
    release.release = true;
    insertEventRows({press, release});
}

void Buttoninterface::insertMouseButtonPair(int code)
{
    // Made from the button's code: the name is only what the current
    // language calls it.
    MacroRow row;
    row.name = MouseButtonName(code, buttonPageMouseNames());
    row.code = code;
    row.kind = kMacroKindMouse;
    insertEventPair(row);
}

void Buttoninterface::showSaveButton()
{
    ui->Save->setVisible(true);
    ui->Save->setStyleSheet(saveButtonStyle(m_macroPictureDir, m_buttonColor));
}

void Buttoninterface::markEventsChanged()
{
    m_macroEventsChanged = true;
    showSaveButton();
}

// ---- Controls -------------------------------------------------------------------

void Buttoninterface::on_ChooseEvent_activated(int index)
{
    if (index == 1 || index == 2) {
        const QString key = askKeyName(this);
        if (!key.isEmpty())
            insertEventRow(key, index == 1);
        return;
    }
    const int mouse = index - kFirstMouseEntry;
    if (mouse >= 0 && mouse < int(sizeof kChooserMouseCodes / sizeof *kChooserMouseCodes))
        insertMouseButtonPair(kChooserMouseCodes[mouse]);
}

void Buttoninterface::on_LeftButton_2_clicked()
{
    insertMouseButtonPair(kChooserMouseCodes[0]);
}

void Buttoninterface::on_RightButton_2_clicked()
{
    insertMouseButtonPair(kChooserMouseCodes[1]);
}

void Buttoninterface::on_MidButton_2_clicked()
{
    insertMouseButtonPair(kChooserMouseCodes[2]);
}

void Buttoninterface::SlotRenameItemKey(int index)
{
    if (g_macroRecording) {
        showRecordingNotice();
        return;
    }
    QListWidgetItem *item = ui->listWidgetKey->currentRow() < 0 ? nullptr : ui->listWidgetKey->currentItem();
    if (!item)
        return;
    // Device data may reload the list while the dialog is open; the row is
    // found again afterwards through its widget.
    const QPointer<itemlistKey> widget = static_cast<itemlistKey *>(ui->listWidgetKey->itemWidget(item));
    const auto rowStillThere = [this, &widget]() -> QListWidgetItem * {
        for (int i = 0; widget && i < ui->listWidgetKey->count(); ++i) {
            if (ui->listWidgetKey->itemWidget(ui->listWidgetKey->item(i)) == widget)
                return ui->listWidgetKey->item(i);
        }
        return nullptr;
    };
    if (index == 1) {
        quint32 ms = 0;
        if (!askDelay(this, widget->text(), &ms) || !rowStillThere())
            return;
        widget->setText(macroDelayText(ms));
    } else {
        const QString keyName = askKeyName(this);
        if (keyName.isEmpty())
            return;
        item = rowStillThere();
        if (!item)
            return;
        setEventKey(ui->listWidgetKey, ui->listWidgetKey->row(item),
                    macroRowForName(keyName, false, buttonPageMouseNames()));
    }
    markEventsChanged();
}

void Buttoninterface::SlotDeleteItemKey()
{
    if (g_macroRecording) {
        showRecordingNotice();
        return;
    }
    const int row = ui->listWidgetKey->currentRow();
    if (m_shownMacro.isEmpty() || row < 0)
        return;
    ui->listWidgetKey->removeItemWidget(ui->listWidgetKey->item(row));
    delete ui->listWidgetKey->takeItem(row);
    markEventsChanged();
}

void Buttoninterface::on_listWidgetKey_itemChanged(QListWidgetItem *item)
{
    Q_UNUSED(item);
    m_macroEventsChanged = true;
}

void Buttoninterface::on_lineEditDelay_valueChanged(int value)
{
    if (value > 65534)
        ui->lineEditDelay->setValue(65535);
}

#include "adddpivalue.h"

#include "ui_AddDpiValue.h"

#include "sensorcodes.h"

#include <QKeyEvent>

namespace {
constexpr NoticeTraits kAddDpiValue = {"AddDpiValueA", {&g_langSensor, 34}, {nullptr, 0, 0},
                                       {&g_langQuestion, 2}, {nullptr, 0}, "Confirm", true, true, true, false, false};
} // namespace

AddDpiValue::AddDpiValue(QWidget *parent) : NoticeDialog(kAddDpiValue, parent), ui(new Ui::AddDpiValue)
{
    ui->setupUi(this);
    ui->NewHong_2->hide();
    ui->spinBox->setRange(kLowestDpi, kHighestDpi);
    build();
    ui->spinBox->setFocus(Qt::ActiveWindowFocusReason);
}

AddDpiValue::~AddDpiValue() = default;

void AddDpiValue::setValue(int dpi)
{
    ui->spinBox->setValue(dpi);
}

void AddDpiValue::SlotAllLanguage(int index)
{
    NoticeDialog::SlotAllLanguage(index);
    // A new caption takes the button's shortcut away: give keypad Enter back.
    ui->NewHong->setShortcut(QKeySequence(Qt::Key_Enter));
}

void AddDpiValue::SlotSetStyle(int index)
{
    NoticeDialog::SlotSetStyle(index);
    ui->spinBox->setStyleSheet("QSpinBox{color: rgb(" + themeRgbTriple(g_themeLinEditColor) + ";);}");
}

void AddDpiValue::on_NewHong_clicked()
{
    accepted = true;
    value = ui->spinBox->value();
    close();
}

void AddDpiValue::on_NewHong_2_clicked()
{
    accepted = false;
    close();
}

void AddDpiValue::on_CloseButton_clicked()
{
    on_NewHong_2_clicked();
}

void AddDpiValue::keyPressEvent(QKeyEvent *event)
{
    // Keys the value box leaves alone end here: Return confirms, and
    // nothing else (Escape included) closes the box.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        on_NewHong_clicked();
}

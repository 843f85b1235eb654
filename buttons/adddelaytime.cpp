#include "adddelaytime.h"

#include "ui_AddDelayTime.h"

namespace {
constexpr NoticeTraits kAddDelayTime = {"AddDelayTimeA", {&g_langAddDelayTime, 0}, {nullptr, 0, 0},
                                        {&g_langQuestion, 2}, {nullptr, 0}, "Confirm", true, true, true, false, false};
} // namespace

AddDelayTime::AddDelayTime(QWidget *parent) : NoticeDialog(kAddDelayTime, parent), ui(new Ui::AddDelayTime)
{
    ui->setupUi(this);
    build();
    ui->spinBox->setFocus();
}

AddDelayTime::~AddDelayTime() = default;

void AddDelayTime::setValueText(const QString &text)
{
    // Read wide: a delay too long for an int still means "the longest".
    const qlonglong value = text.toLongLong();
    ui->spinBox->setValue(int(qBound<qlonglong>(ui->spinBox->minimum(), value, ui->spinBox->maximum())));
}

void AddDelayTime::SlotSetStyle(int index)
{
    NoticeDialog::SlotSetStyle(index);
    ui->spinBox->setStyleSheet("QSpinBox{color: rgb(" + themeRgbTriple(g_themeLinEditColor) + ";);}");
}

void AddDelayTime::on_NewHong_clicked()
{
    m_accepted = 1;
    m_value = ui->spinBox->value();
    close();
}

void AddDelayTime::on_NewHong_2_clicked()
{
    m_accepted = 0;
    close();
}

void AddDelayTime::on_CloseButton_clicked()
{
    on_NewHong_2_clicked();
}

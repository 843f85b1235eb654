#include "firekey.h"

#include "ui_FireKey.h"

namespace {
constexpr NoticeTraits kFireKey = {"FireKeyA", {&g_langFireKey, 0}, {nullptr, 0, 0}, {&g_langQuestion, 2},
                                   {nullptr, 0}, "Confirm", true, true, true, false, false};
} // namespace

FireKey::FireKey(QWidget *parent) : NoticeDialog(kFireKey, parent), ui(new Ui::FireKey)
{
    ui->setupUi(this);
    build();
    setFixedSize(kWidth, kHeight);
}

FireKey::~FireKey() = default;

void FireKey::setCount(int value)
{
    ui->Count->setValue(value);
}

void FireKey::setInterval(int value)
{
    ui->Time->setValue(value);
}

void FireKey::SlotAllLanguage(int index)
{
    NoticeDialog::SlotAllLanguage(index);
    ui->label_2->setText(langText(g_langFireKey, index, 1));
    ui->label_3->setText(langText(g_langFireKey, index, 2));
}

void FireKey::SlotSetStyle(int index)
{
    NoticeDialog::SlotSetStyle(index);
    const QString label = "QLabel{color: rgb(" + themeRgbTriple(g_themeLabelColor) + ";);}";
    ui->label_2->setStyleSheet(label);
    ui->label_3->setStyleSheet(label);
    const QString box = "QSpinBox{color: rgb(" + themeRgbTriple(g_themeLinEditColor) + ";);}";
    ui->Count->setStyleSheet(box);
    ui->Time->setStyleSheet(box);
}

void FireKey::on_NewHong_clicked()
{
    accepted = true;
    interval = ui->Time->value();
    count = ui->Count->value();
    close();
}

void FireKey::on_NewHong_2_clicked()
{
    accepted = false;
    close();
}

void FireKey::on_CloseButton_clicked()
{
    on_NewHong_2_clicked();
}

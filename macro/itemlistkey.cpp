#include "itemlistkey.h"
#include "ui_itemlistKey.h"

#include "globals.h"
#include "itemlist.h"
#include "postmsg.h"

itemlistKey::itemlistKey(QWidget *parent)
    : QWidget(parent), ui(new Ui::itemlistKey)
{
    ui->setupUi(this);
    m_pictureDir = programDir() + "/Picture/Macro/";
    const QString color = macroRowColor();
    ui->toolButton_2->setStyleSheet(macroRowButtonStyle(color, m_pictureDir, "Rename.png", "RenameHover.png"));
    ui->toolButton_4->setStyleSheet(macroRowButtonStyle(color, m_pictureDir, "Rename.png", "RenameHover.png"));
    ui->toolButton_3->setStyleSheet(macroRowButtonStyle(color, m_pictureDir, "Delete.png", "DeleteHover.png"));
    ui->toolButton_5->setStyleSheet(
        "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(" + color
        + ";);border-image: url(" + m_pictureDir + "MacroTime.png" + ");}");
    ui->label->setStyleSheet("QLabel{border:0px;background-position:center;background-repeat:no-repeat;color: rgb("
                             + color + ";);}");
    connect(PostMsg::instance(), &PostMsg::SigSetStyle, this, &itemlistKey::SlotSetStyle);
}

itemlistKey::~itemlistKey()
{
    delete ui;
}

QString itemlistKey::text() const
{
    return ui->label->text();
}

void itemlistKey::setText(QString text)
{
    ui->label->setText(text);
}

void itemlistKey::on_toolButton_2_clicked()
{
    setFocus(Qt::OtherFocusReason);
    PostMsg::instance()->postRenameKey(0);
}

void itemlistKey::on_toolButton_4_clicked()
{
    setFocus(Qt::OtherFocusReason);
    PostMsg::instance()->postRenameKey(1);
}

void itemlistKey::on_toolButton_3_clicked()
{
    setFocus(Qt::OtherFocusReason);
    PostMsg::instance()->postDeletKey();
}

void itemlistKey::SlotSetStyle(int index)
{
    Q_UNUSED(index);
}

#include "inputpicb.h"
#include "ui_InputPicB.h"

#include "postmsg.h"
#include "screendialogparts.h"

InputPicB::InputPicB(QWidget *parent)
    : QDialog(parent), ui(new Ui::InputPicB)
{
    ui->setupUi(this);
    screenButtonGroup = setUpScreenDialog(this, ui, &pictureFolder);
}

InputPicB::~InputPicB()
{
    delete ui;
}

void InputPicB::SlotAllLanguage(int index)
{
    textScreenDialog(ui, index);
}

void InputPicB::on_CloseButton_clicked()
{
    PostMsg::instance()->postButtonCheck();
    close();
}

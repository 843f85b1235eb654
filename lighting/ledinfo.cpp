#include "ledinfo.h"
#include "ui_LedInfo.h"

#include "configsettings.h"
#include "devicesearch.h"
#include "devicestate.h"
#include "globals.h"
#include "linktable.h"
#include "lightingstyles.h"
#include "pagebackground.h"
#include "postmsg.h"

#include <QButtonGroup>

using namespace LightingStyles;

LedInfo::LedInfo(QWidget *parent)
    : QDialog(parent), ui(new Ui::LedInfo)
{
    ui->setupUi(this);
    m_buttonGroup = new QButtonGroup(this);
    m_buttonGroup->setExclusive(true);
    m_pictureDir = programDir() + "/Picture/FormSetting/";
    makeFramelessDialog(this);

    const QString L = optionRgb("LabelColor");
    const QString P = m_pictureDir;
    ui->label_14->setStyleSheet(labelStyle(L));
    ui->TitleButton_7->setStyleSheet("#TitleButton_7{border-image: url(" + P + "Title.png" + ");}");
    const QString checkBoxStyle = "QCheckBox{color: rgb(" + L + ";);}QCheckBox:indicator::checked {image: url(" + P
                                  + "CheckBoxCheck.png" + ");}QCheckBox::indicator::unchecked {image: url(" + P
                                  + "CheckBox2.png" + ");}";
    for (QCheckBox *box : {ui->ReUntil, ui->ReUntil_2, ui->ReUntil_3})
        box->setStyleSheet(checkBoxStyle);
    showFramePicture(ui->LedInfoFrame, P + "Back.png", PageBackground::Centre);
    for (QTextEdit *text : {ui->textEdit_2, ui->textEdit_3, ui->textEdit_4})
        text->setStyleSheet("#" + text->objectName() + "{border: transparent;background-color: transparent;color: rgb("
                            + L + ";);}");
    ui->CloseButton->setStyleSheet(closeButtonStyle(P + "Close.png", P + "CloseHover.png", P + "CloseClick.png"));

    m_buttonGroup->addButton(ui->ReUntil);
    m_buttonGroup->addButton(ui->ReUntil_2);
    m_buttonGroup->addButton(ui->ReUntil_3);

    registerDeviceMetaTypes();
    connect(PostMsg::instance(), &PostMsg::SigRGBValue, this, &LedInfo::SlotRGBValue, Qt::BlockingQueuedConnection);
}

LedInfo::~LedInfo()
{
    delete ui;
}

void LedInfo::SlotRGBValue(DongleRGB *Rgb)
{
    const QString group = selectedDriveGroup();
    const QStringList advanced = ConfigSettings::instance()->readStringList(group, "Adveanced");
    // A model without the entry is treated like one without the option.
    const QString receiverLed = advanced.size() > 1 ? advanced.at(1).trimmed() : QStringLiteral("-1");
    if (receiverLed == "-1" || !reachesReceiverLight(g_selectedDevice) || !Rgb)
        return;
    for (QWidget *w : std::initializer_list<QWidget *>{ui->TitleButton_7, ui->label_14, ui->ReUntil, ui->ReUntil_2,
                                                         ui->ReUntil_3, ui->textEdit_2, ui->textEdit_3, ui->textEdit_4})
        w->setVisible(true);
    switch (Rgb->ledMode) {
    case 1:
        ui->ReUntil->setChecked(true);
        break;
    case 2:
        ui->ReUntil_2->setChecked(true);
        break;
    case 3:
        ui->ReUntil_3->setChecked(true);
        break;
    default:
        break;
    }
}

void LedInfo::SlotAllLanguage(int index)
{
    ui->label_14->setText(langText(g_langFormSetting, index, 19));
    ui->textEdit_2->setText(langText(g_langFormSetting, index, 20));
    ui->textEdit_3->setText(langText(g_langFormSetting, index, 21));
    ui->textEdit_4->setText(langText(g_langFormSetting, index, 22));
}

void LedInfo::on_CloseButton_clicked()
{
    PostMsg::instance()->postButtonCheck();
    close();
}

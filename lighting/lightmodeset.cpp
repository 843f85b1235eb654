#include "lightmodeset.h"
#include "ui_LightModeSet.h"

#include "globals.h"
#include "lightingstyles.h"
#include "pagebackground.h"
#include "postmsg.h"

#include <QMouseEvent>

using namespace LightingStyles;

LightModeSet::LightModeSet(QWidget *parent)
    : QDialog(parent), ui(new Ui::LightModeSet)
{
    ui->setupUi(this);
    m_pictureDir = programDir() + "/Picture/ScreeInfo/";
    makeFramelessDialog(this);

    const QString P = m_pictureDir;
    const QString labelRgb = optionRgb("LabelColor");
    const QString sliderRgb = optionRgb("SliderColor");
    for (QLabel *label : {ui->label, ui->label_2, ui->label_3, ui->label_6, ui->label_8, ui->label_10, ui->label_11,
                          ui->label_12, ui->label_13})
        label->setStyleSheet(labelStyle(labelRgb));
    showFramePicture(ui->LightModeSetframe, P + "Back.png", PageBackground::Centre);
    ui->CloseButton->setStyleSheet(closeButtonStyle(P + "CloseButton.png", P + "CloseHover.png", P + "CloseClick.png"));
    styleColourEditor(this, P);

    on_LightMod_currentIndexChanged(ui->LightMod->currentIndex());
    styleModeBox(ui->LightMod, P, optionRgb("ComboxTextColor"), optionRgb("ComboxBackGroundColor"),
                 optionRgb("ComboxSelectColor"));
    ui->horizontalLight->setStyleSheet(sliderStyle(P + "Slider.png", -1, sliderRgb));
    ui->horizontalSpeed->setStyleSheet(sliderStyle(P + "Slider.png", -1, sliderRgb));
}

LightModeSet::~LightModeSet()
{
    delete ui;
}

ColourBoxes LightModeSet::colourBoxes() const
{
    return ColourBoxes(ui->RSpinBox, ui->GSpinBox, ui->BSpinBox, ui->labelPreView);
}

void LightModeSet::on_AddR_clicked()
{
    ColourBoxes::step(ui->RSpinBox, 1);
}

void LightModeSet::on_AddG_clicked()
{
    ColourBoxes::step(ui->GSpinBox, 1);
}

void LightModeSet::on_AddB_clicked()
{
    ColourBoxes::step(ui->BSpinBox, 1);
}

void LightModeSet::on_ReduceR_clicked()
{
    ColourBoxes::step(ui->RSpinBox, -1);
}

void LightModeSet::on_ReduceG_clicked()
{
    ColourBoxes::step(ui->GSpinBox, -1);
}

void LightModeSet::on_ReduceB_clicked()
{
    ColourBoxes::step(ui->BSpinBox, -1);
}

void LightModeSet::on_RSpinBox_valueChanged(int)
{
    colourBoxes().showPreview();
}

void LightModeSet::on_GSpinBox_valueChanged(int)
{
    colourBoxes().showPreview();
}

void LightModeSet::on_BSpinBox_valueChanged(int)
{
    colourBoxes().showPreview();
}

void LightModeSet::applyPreset(int index)
{
    colourBoxes().setColour(presetColor(index));
}

void LightModeSet::on_toolButtonColorA_clicked()
{
    applyPreset(0);
}

void LightModeSet::on_toolButtonColorB_clicked()
{
    applyPreset(1);
}

void LightModeSet::on_toolButtonColorC_clicked()
{
    applyPreset(2);
}

void LightModeSet::on_toolButtonColorD_clicked()
{
    applyPreset(3);
}

void LightModeSet::on_toolButtonColorE_clicked()
{
    applyPreset(4);
}

void LightModeSet::on_toolButtonColorF_clicked()
{
    applyPreset(5);
}

void LightModeSet::on_toolButtonColorG_clicked()
{
    applyPreset(6);
}

void LightModeSet::on_toolButtonColorH_clicked()
{
    applyPreset(7);
}

void LightModeSet::on_toolButtonColorI_clicked()
{
    applyPreset(8);
}

void LightModeSet::on_toolButtonColorJ_clicked()
{
    applyPreset(9);
}

void LightModeSet::on_toolButtonColorK_clicked()
{
    applyPreset(10);
}

void LightModeSet::on_toolButtonColorL_clicked()
{
    applyPreset(11);
}

void LightModeSet::on_toolButtonColorM_clicked()
{
    applyPreset(12);
}

void LightModeSet::on_toolButtonColorN_clicked()
{
    applyPreset(13);
}

void LightModeSet::SlotAllLanguage(int index)
{
    // The title and the six modes have texts of their own at the end of the
    // page: the front positions are the settings page's.
    ui->label->setText(langText(g_langScreenInfo, index, kScreenModeTitleText));
    for (int item = 0; item <= 5; ++item)
        ui->LightMod->setItemText(item, langText(g_langScreenInfo, index, kScreenModeTexts + item));
    ui->label_2->setText(langText(g_langScreenInfo, index, 13));
    ui->label_3->setText(langText(g_langScreenInfo, index, 14));
    ui->label_11->setText(langText(g_langScreenInfo, index, 18));
    ui->label_10->setText(langText(g_langScreenInfo, index, 19));
    ui->label_12->setText(langText(g_langScreenInfo, index, 20));
    ui->label_6->setText(langText(g_langScreenInfo, index, 15));
    ui->label_8->setText(langText(g_langScreenInfo, index, 16));
    ui->label_13->setText(langText(g_langScreenInfo, index, 17));
}

void LightModeSet::on_CloseButton_clicked()
{
    PostMsg::instance()->postButtonCheck();
    close();
}

void LightModeSet::on_LightMod_currentIndexChanged(int index)
{
    applyModeLayout(this, index);
}

void LightModeSet::mousePressEvent(QMouseEvent *event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return;
    const QPoint pos = event->pos();
    releaseFocusOutside(this, pos, {ui->RSpinBox, ui->GSpinBox, ui->BSpinBox});
    if (ui->label_7->geometry().contains(pos))
        colourBoxes().pickFromScreen();
}

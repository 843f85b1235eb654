#ifndef SCREENDIALOGPARTS_H
#define SCREENDIALOGPARTS_H

// The two device screen dialogs differ only in how their picture slots are
// laid out; their forms carry the same object names, so styles and texts are
// set by the same code for both.

#include "globals.h"
#include "lightingstyles.h"
#include "pagebackground.h"

#include <QButtonGroup>
#include <QDialog>
#include <QLabel>
#include <QToolButton>
#include <QSlider>
#include <QFrame>
#include <QString>

template <class Form>
void styleScreenDialog(Form *ui, const QString &folder)
{
    using namespace LightingStyles;
    const QString F = folder;
    showFramePicture(ui->InputPicAFrame, F + "Back.png", PageBackground::Centre);
    const QString labels = labelStyle(optionRgb("LabelColor"));
    for (QLabel *label : {ui->label, ui->label_2, ui->label_3, ui->label_4, ui->label_5, ui->label_6, ui->label_7})
        label->setStyleSheet(labels);
    const QString buttonHead = "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb("
                               + optionRgb("ButtonColor") + ";);border-image: url(";
    const QString slot = buttonHead + F + "Pic.png" + ");}QToolButton:checked{border-image: url(" + F + "PicHover.png"
                         + "); }";
    for (QToolButton *button : {ui->toolButtonA, ui->toolButtonB, ui->toolButtonC, ui->toolButtonD})
        button->setStyleSheet(slot);
    const QString action = buttonHead + F + "Button.png" + ");}QToolButton:hover{border-image: url(" + F
                           + "ButtonHover.png" + "); }";
    ui->Input->setStyleSheet(action);
    ui->Output->setStyleSheet(action);
    ui->CheckButton->setStyleSheet(switchStyle("CheckButton", F + "Close.png", F + "Open.png"));
    ui->SpeedH->setStyleSheet(sliderStyle(F + "Slider.png", -1, optionRgb("SliderColor")));
    ui->CloseButton->setStyleSheet(closeButtonStyle(F + "CloseButton.png", F + "CloseHover.png", F + "CloseClick.png"));
}

// What both constructors do after the form: the picture slots as one
// exclusive group, the picture folder, the frameless window and the styles.
template <class Form>
QButtonGroup *setUpScreenDialog(QDialog *dialog, Form *ui, QString *folder)
{
    auto *group = new QButtonGroup(dialog);
    group->setExclusive(true);
    for (QToolButton *button : {ui->toolButtonA, ui->toolButtonB, ui->toolButtonC, ui->toolButtonD})
        group->addButton(button);
    *folder = programDir() + "/Picture/ScreeInfo/";
    LightingStyles::makeFramelessDialog(dialog);
    styleScreenDialog(ui, *folder);
    return group;
}

template <class Form>
void textScreenDialog(Form *ui, int index)
{
    // Texts of their own at the end of the page: the front positions are
    // the device list's and the settings page's.
    ui->label->setText(langText(g_langScreenInfo, index, kScreenDialogTexts));
    ui->label_2->setText(langText(g_langScreenInfo, index, kScreenDialogTexts + 1));
    ui->label_3->setText(langText(g_langScreenInfo, index, kScreenDialogTexts + 2));
    ui->Input->setText(langText(g_langScreenInfo, index, kScreenDialogTexts + 3));
    ui->Output->setText(langText(g_langScreenInfo, index, kScreenDialogTexts + 4));
}

#endif // SCREENDIALOGPARTS_H

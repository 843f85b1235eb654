#include "sensorstyle.h"

#include "configsettings.h"
#include "globals.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QListView>

// The chosen option's caption in the page's accent: it must read on the
// light cards the rows lie on.
const char kSelectedCaptionStyle[] = "QLabel{color: rgb(30,136,229);}";
const char kPlainCaptionStyle[] = "QLabel{color: rgb(73,61,77);}";

QString sensorPictureDir()
{
    return programDir() + "/Picture/Sensor/";
}

QString optionColorTriple(const char *key)
{
    return rgbTriple(ConfigSettings::instance()->readStringList("Option", QString::fromLatin1(key)),
                     QStringLiteral("255,255,255"));
}

QString labelStyle(const QString &color)
{
    return "QLabel{color: rgb(" + color + ";);}";
}

QString optionLabelStyle()
{
    return labelStyle(optionColorTriple("LabelColor"));
}

QString optionButtonStyle()
{
    return "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb("
           + optionColorTriple("ButtonColor")
           + ";);border-radius:3px;padding-left:0px;background-image: transparent;border-image: url("
           + sensorPictureDir() + "ReportRateOff.png" + ");}QToolButton:checked{padding-left:0px;border-image: url("
           + sensorPictureDir() + "ReportRate.png" + "); }";
}

void styleOptionRow(const QList<QAbstractButton *> &buttons, QLabel *title)
{
    for (QAbstractButton *b : buttons)
        b->setStyleSheet(optionButtonStyle());
    title->setStyleSheet(optionLabelStyle());
}

QString switchStyle(const QString &pictureDir, const QString &color)
{
    return "QCheckBox{color: rgb(" + color + ";);}QCheckBox:indicator::checked {image: url(" + pictureDir
           + "check_dn.png" + ");}QCheckBox::indicator::unchecked {image: url(" + pictureDir + "check_nr.png" + ");}";
}

void markSelectedCaption(const QList<QLabel *> &captions, int selected)
{
    for (int i = 0; i < captions.size(); ++i)
        captions.at(i)->setStyleSheet(QString::fromLatin1(i == selected ? kSelectedCaptionStyle : kPlainCaptionStyle));
}

void styleOptionComboBox(QComboBox *box, const QString &pictureDir)
{
    const QString &P = pictureDir;
    const QString text = optionColorTriple("ComboxTextColor");
    const QString select = optionColorTriple("ComboxSelectColor");
    box->setStyleSheet(
        "QComboBox{color: rgb(" + text + ");border-image: url(" + P + "ComboboxBack.png" + ");padding-left:8px;}"
        "QComboBox::drop-down{border:0px;width:24px;}"
        "QComboBox::down-arrow{image: url(" + P + "Menu.png" + ");}"
        "QComboBox::down-arrow:on{image: url(" + P + "MenuClicked.png" + ");}"
        "QComboBox QAbstractItemView{color: rgb(" + text + ");background-color: rgb("
        + optionColorTriple("ComboxBackGroundColor") + ");selection-background-color: rgb(" + select
        + ");outline:0px;border-image: url(" + P + "ComboboxTextBack.png" + ");}"
        "QComboBox QAbstractItemView::item{height:25px;}");
    auto *view = new QListView(box);
    view->setStyleSheet("QListView::item:selected{background-color: rgb(" + select
                        + ");}QListView::item:hover{background-color: rgb(" + select + ");}");
    box->setView(view);
}

QString themeSliderStyle(const QString &pictureDir)
{
    return "QSlider:groove:horizontal{height:2px;left: 0px;right: 0px;border:0px;border-radius:6px;background:rgba(0,0,"
           "0,50);}QSlider:handle:horizontal{ width:  22px;height: 22px;  margin-top: -6px;margin-left: -4px; "
           "margin-bottom: -13px;margin-right: -4px; border-image: url("
           + pictureDir + "HuaKuai.png" + ");} QSlider:sub-page:horizontal{background-color: rgb("
           + themeRgbTriple(g_themeSliderColor) + ";);}QSlider:add-page:horizontal{background-color: rgb(136, 148, 158);}";
}

#include "sensorstyle.h"

#include "configsettings.h"
#include "globals.h"

#include <QAbstractButton>
#include <QLabel>

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

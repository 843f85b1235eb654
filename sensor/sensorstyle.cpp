#include "sensorstyle.h"

#include "configsettings.h"
#include "globals.h"

#include <QButtonGroup>
#include <QLabel>
#include <QToolButton>
#include <QWidget>

const char kSelectedCaptionStyle[] = "QLabel{color: rgb(238,236,82);}";
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

QString optionLabelStyle()
{
    return "QLabel{color: rgb(" + optionColorTriple("LabelColor") + ";);}";
}

QString optionButtonStyle()
{
    return "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb("
           + optionColorTriple("ButtonColor")
           + ";);border-radius:3px;padding-left:0px;background-image: transparent;}"
             "QToolButton:checked{padding-left:0px;border-image: url("
           + sensorPictureDir() + "ReportRate.png" + "); }";
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

void showOnly(const QList<QWidget *> &controls)
{
    for (QWidget *w : controls)
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void buildOptionRow(QButtonGroup *group, const QList<QToolButton *> &buttons, const QList<QLabel *> &captions,
                    QLabel *title)
{
    group->setExclusive(true);
    for (QToolButton *b : buttons) {
        group->addButton(b);
        b->setStyleSheet(optionButtonStyle());
        b->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    title->setStyleSheet(optionLabelStyle());
    // Nothing is chosen before the device is read; the captions must still
    // show on the light page.
    markSelectedCaption(captions, -1);
}

void selectOption(const QList<QToolButton *> &buttons, const QList<QLabel *> &captions, int index)
{
    if (index < 0 || index >= buttons.size())
        return;
    buttons.at(index)->setChecked(true);
    markSelectedCaption(captions, index);
}

#include "lightingstyles.h"

#include "configsettings.h"
#include "globals.h"

#include <QComboBox>
#include <QDialog>
#include <QListView>
#include <QSpinBox>
#include <QToolButton>

namespace LightingStyles {

void makeFramelessDialog(QDialog *dialog)
{
    dialog->setWindowFlags(Qt::SubWindow | Qt::BypassWindowManagerHint | Qt::FramelessWindowHint
                           | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
}

QString optionRgb(const char *key)
{
    QString fallback = QStringLiteral("0,0,0");
    for (const ThemeEntry &e : themeEntries()) {
        if (e.list && qstrcmp(e.key, key) == 0) {
            fallback = QString::fromLatin1(e.initial);
            break;
        }
    }
    return rgbTriple(ConfigSettings::instance()->readStringList("Option", QString::fromLatin1(key)), fallback);
}

QString labelStyle(const QString &rgb)
{
    return "QLabel{color: rgb(" + rgb + ";);}";
}

QString pictureStyle(const QString &objectName, const QString &picturePath)
{
    return "#" + objectName + "{border:0px;background-position:center;background-repeat:no-repeat;background-image: url("
           + picturePath + ");}";
}

QString backgroundStyle(const QString &objectName, const QString &picturePath)
{
    return "#" + objectName + "{background-image: url(" + picturePath
           + ");border:0px;background-position:center;background-repeat:no-repeat;}";
}

QString closeButtonStyle(const QString &picturePath, const QString &hoverPath, const QString &pressedPath)
{
    return "QToolButton{border:0px;background-image: url(" + picturePath
           + ");background-position:center;background-repeat:no-repeat;}QToolButton:hover{background-image: url("
           + hoverPath + ");}QToolButton:pressed{background-image: url(" + pressedPath + ");}";
}

QString switchStyle(const QString &objectName, const QString &offPath, const QString &onPath)
{
    return "#" + objectName
           + "{color: rgb(255, 255, 255);border:0px;background-position:center;background-repeat:no-repeat;background-image: url("
           + offPath + ");}#" + objectName + ":checked {background-image: url(" + onPath + ");}";
}

QString sliderStyle(const QString &handlePath, int handleMargin, const QString &fillRgb)
{
    const QString margin = QString::number(handleMargin) + "px";
    return "QSlider::groove:horizontal { border-radius: 2px;  height: 5px;background:#ffffff}"
           "QSlider:handle:horizontal{ border-radius: 2px;width:  6px;height: 18px;  margin-top: -9px;margin-left: "
           + margin + "; margin-bottom: -9px;margin-right: " + margin + "; border-image: url(" + handlePath
           + ");} QSlider:sub-page:horizontal{border-radius: 2px;background-color: rgb(" + fillRgb
           + ";);}QSlider:add-page:horizontal{border-radius: 2px;background-color: rgb(255, 255, 255);}";
}

QString colourSpinBoxStyle(const QString &textRgb)
{
    return "QSpinBox{background-color: rgb(0,0,0);color: rgb(" + textRgb
           + ";);border: 1px  solid gray;}QSpinBox:hover{background-color: transparent;color: rgb(" + textRgb
           + ";);border: 1px  solid gray;}";
}

QString previewStyle(int r, int g, int b)
{
    return "QLabel{background-color: rgb(" + QString::number(r) + "," + QString::number(g) + "," + QString::number(b)
           + ");border: 2px solid  rgb(220,220,220);}";
}

void styleModeBox(QComboBox *box, const QString &dir, const QString &textRgb, const QString &buttonRgb,
                  const QString &selectRgb)
{
    box->setStyleSheet("QComboBox{border: 1px solid gray; color: rgb(" + textRgb + "); border-image: url(" + dir
                       + "ComboboxBack.png" + ");}QComboBox::drop-down:button{border-radius:5px; background:rgb("
                       + buttonRgb + ");} QComboBox::down-arrow{image: url(" + dir + "Menu.png"
                       + "); right: 8px; }QComboBox::down-arrow:on{ image: url(" + dir + "MenuClicked.png"
                       + ");}QComboBox QAbstractItemView::item{height:25px;}QComboBox QAbstractItemView {outline: 0px solid gray; border: 1px  solid gray;color: rgb("
                       + textRgb + "); border-image: url(" + dir + "ComboboxTextBack.png"
                       + ");selection-background-color: rgb(" + selectRgb + "); }");
    auto *view = new QListView;
    view->setStyleSheet("QListView::item:selected{background-color: rgb(" + selectRgb
                        + ");}QListView::item:hover{background-color: rgb(" + selectRgb + ");}");
    box->setView(view);
    box->setMaxVisibleItems(5);
}

namespace {
const char kPresetLetters[] = "ABCDEFGHIJKLMN";

QWidget *child(QWidget *owner, const QString &name)
{
    return owner->findChild<QWidget *>(name);
}
} // namespace

void styleColourEditor(QWidget *owner, const QString &dir)
{
    for (const char *channel : {"R", "G", "B"}) {
        const QString c = QString::fromLatin1(channel);
        child(owner, "Reduce" + c)->setStyleSheet(backgroundStyle("Reduce" + c, dir + "Reduce.png"));
        child(owner, "Add" + c)->setStyleSheet(backgroundStyle("Add" + c, dir + "Add.png"));
    }
    const QString boxStyle = colourSpinBoxStyle(optionRgb("LinEditColorSecond"));
    for (const char *box : {"RSpinBox", "GSpinBox", "BSpinBox"})
        child(owner, box)->setStyleSheet(boxStyle);
    child(owner, "labelPreView")->setStyleSheet(backgroundStyle("labelPreView", dir + "PreviewColor.png"));
    for (int i = 0; i < kPresetCount; ++i) {
        const QString letter = QString(QLatin1Char(kPresetLetters[i]));
        child(owner, "toolButtonColor" + letter)
            ->setStyleSheet(pictureStyle("toolButtonColor" + letter, dir + "Color" + letter + ".png"));
    }
    child(owner, "label_7")->setStyleSheet(pictureStyle("label_7", dir + "ColorBoard.png"));
}

QColor presetColor(int index)
{
    static const QColor presets[kPresetCount] = {
        QColor(255, 0, 0),   QColor(0, 255, 255),  QColor(0, 255, 0),    QColor(255, 0, 255), QColor(255, 255, 0),
        QColor(255, 80, 0),  QColor(0, 0, 255),    QColor(227, 0, 127),  QColor(46, 166, 223), QColor(96, 25, 133),
        QColor(255, 255, 255), QColor(139, 178, 36), QColor(255, 155, 51), QColor(208, 113, 173)};
    return index >= 0 && index < kPresetCount ? presets[index] : QColor();
}

namespace {

void setColourGroupVisible(QWidget *owner, bool visible)
{
    for (const char *name : {"label_6", "label_7", "label_8", "labelPreView", "label_11", "label_10", "label_12",
                             "ReduceR", "ReduceG", "ReduceB", "RSpinBox", "GSpinBox", "BSpinBox", "AddR", "AddG",
                             "AddB", "label_13"})
        child(owner, name)->setVisible(visible);
    for (int i = 0; i < kPresetCount; ++i)
        child(owner, "toolButtonColor" + QString(QLatin1Char(kPresetLetters[i])))->setVisible(visible);
}

} // namespace

void applyModeLayout(QWidget *owner, int index)
{
    enum { Line, Line2, Colour, Brightness, Speed };
    static const bool shown[7][5] = {{true, true, false, false, false},  {false, false, false, true, true},
                                     {false, false, true, true, true},   {false, true, true, true, false},
                                     {false, false, false, true, true},  {false, false, false, true, true},
                                     {false, true, false, true, false}};
    if (index < 0 || index > 6)
        return;
    const bool *mode = shown[index];
    child(owner, "line")->setVisible(mode[Line]);
    child(owner, "line_2")->setVisible(mode[Line2]);
    setColourGroupVisible(owner, mode[Colour]);
    child(owner, "horizontalLight")->setVisible(mode[Brightness]);
    child(owner, "horizontalSpeed")->setVisible(mode[Speed]);
    if (QWidget *readout = owner->findChild<QWidget *>("LightSpinBox_2"))
        readout->setVisible(mode[Brightness]);
    if (QWidget *readout = owner->findChild<QWidget *>("SpeedSpinBox_2"))
        readout->setVisible(mode[Speed]);
}

} // namespace LightingStyles

#include "colorselect.h"

#include "ui_ColorSelect.h"

#include "globals.h"
#include "postmsg.h"

#include <QButtonGroup>

namespace {

struct Swatch {
    const char *colour;
    const char *special;   // the shade of the special models
};
const Swatch kColours[ColorSelect::kSwatches] = {
    {"#fc0000", "#fc0000"}, {"#ffa300", "#f97700"}, {"#ffff00", "#ffff00"}, {"#00ff00", "#00ff00"},
    {"#0080ff", "#0080ff"}, {"#0000ff", "#0000ff"}, {"#8800c8", "#8F00FF"}, {"#f20aea", "#ff7dea"},
    {"#02ffb3", "#7dffc9"}, {"#34f8f2", "#34f8f2"}, {"#ffffff", "#f20aea"}, {"#000000", "#ffa300"},
    {"#008325", "#008325"}, {"#ffffff", "#ffffff"},
};

} // namespace

ColorSelect::ColorSelect(QWidget *parent) : QDialog(parent), ui(new Ui::ColorSelect), swatchGroup(nullptr)
{
    ui->setupUi(this);
    swatchGroup = new QButtonGroup(this);
    swatchGroup->setExclusive(true);
    setAttribute(Qt::WA_TranslucentBackground);
    pictureFolder = programDir() + "/Picture/WarningDialog/";
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    for (int k = 1; k <= 12; ++k)
        swatchGroup->addButton(swatch(k));
    connect(PostMsg::instance(), &PostMsg::SigSetStyle, this, &ColorSelect::SlotSetStyle);
    SlotAllLanguage(g_language);
    SlotSetStyle(0);
}

ColorSelect::~ColorSelect() = default;

bool ColorSelect::isSpecialModel(int mid)
{
    return mid == 7 || mid == 8 || mid == 37 || mid == 40;
}

QString ColorSelect::swatchColor(int swatch, int mid)
{
    if (swatch < 1 || swatch > kSwatches)
        return QString();
    const Swatch &s = kColours[swatch - 1];
    return QString::fromLatin1(isSpecialModel(mid) ? s.special : s.colour);
}

QToolButton *ColorSelect::swatch(int k) const
{
    return findChild<QToolButton *>(k == 1 ? QStringLiteral("toolButton") : "toolButton_" + QString::number(k));
}

void ColorSelect::SlotAllLanguage(int index)
{
    ui->label->setText(langText(g_langSensor, index, 35));
    ui->OK->setText(langText(g_langSensor, index, 36));
    ui->Cancel->setText(langText(g_langSensor, index, 37));
}

void ColorSelect::SlotSetStyle(int)
{
    pictureFolder = programDir() + "/Picture/WarningDialog/";
    const QString &F = pictureFolder;
    const QString buttonColor = themeRgbTriple(g_themeButtonColor);
    ui->label->setStyleSheet("QLabel{color: rgb(" + themeRgbTriple(g_themeLabelColor) + ";);}");
    const QString action = "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb("
                           + buttonColor + ";);border-image: url(" + F + "15.png"
                           + ");}QToolButton:hover{color: rgb(255,255,255);border-image: url(" + F + "ConfirmClick.png"
                           + ");}";
    ui->OK->setStyleSheet(action);
    ui->Cancel->setStyleSheet(action);
    ui->ColorSelectA->setStyleSheet("#ColorSelectA{background-image: url(" + F + "Color_popup_BG.png" + ");}");

    auto swatchStyle = [&](int k) {
        const QString K = QString::number(k);
        return "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(" + buttonColor
               + ";);border-image: url(" + F + K + ".png" + ");}QToolButton:checked{border-image: url(" + F + K + "_"
               + K + ".png" + "); }";
    };
    for (int k = 1; k <= 12; ++k)
        swatch(k)->setStyleSheet(swatchStyle(k));
    swatch(13)->hide();
    swatch(14)->hide();

    // The palette is laid out anew each time, so a change of the chosen
    // device switches between six and seven swatches a row.
    const bool special = isSpecialModel(g_deviceMid);
    const int perRow = special ? 7 : 6;
    const int count = special ? 14 : 12;
    const int x0 = special ? 12 : 30;
    const int dx = special ? 48 : 50;
    if (special) {
        for (int k = 13; k <= 14; ++k) {
            swatch(k)->setStyleSheet(swatchStyle(k));
            swatch(k)->show();
        }
    }
    for (int k = 1; k <= count; ++k)
        swatch(k)->move(x0 + ((k - 1) % perRow) * dx, 70 + ((k - 1) / perRow) * 50);
}

void ColorSelect::on_toolButton_clicked() { selectedColor = swatchColor(1, g_deviceMid); }
void ColorSelect::on_toolButton_2_clicked() { selectedColor = swatchColor(2, g_deviceMid); }
void ColorSelect::on_toolButton_3_clicked() { selectedColor = swatchColor(3, g_deviceMid); }
void ColorSelect::on_toolButton_4_clicked() { selectedColor = swatchColor(4, g_deviceMid); }
void ColorSelect::on_toolButton_5_clicked() { selectedColor = swatchColor(5, g_deviceMid); }
void ColorSelect::on_toolButton_6_clicked() { selectedColor = swatchColor(6, g_deviceMid); }
void ColorSelect::on_toolButton_7_clicked() { selectedColor = swatchColor(7, g_deviceMid); }
void ColorSelect::on_toolButton_8_clicked() { selectedColor = swatchColor(8, g_deviceMid); }
void ColorSelect::on_toolButton_9_clicked() { selectedColor = swatchColor(9, g_deviceMid); }
void ColorSelect::on_toolButton_10_clicked() { selectedColor = swatchColor(10, g_deviceMid); }
void ColorSelect::on_toolButton_11_clicked() { selectedColor = swatchColor(11, g_deviceMid); }
void ColorSelect::on_toolButton_12_clicked() { selectedColor = swatchColor(12, g_deviceMid); }
void ColorSelect::on_toolButton_13_clicked() { selectedColor = swatchColor(13, g_deviceMid); }
void ColorSelect::on_toolButton_14_clicked() { selectedColor = swatchColor(14, g_deviceMid); }

void ColorSelect::on_OK_clicked()
{
    accepted = true;
    close();
}

void ColorSelect::on_Cancel_clicked()
{
    accepted = false;
    close();
}

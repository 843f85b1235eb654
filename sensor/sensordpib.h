#ifndef SENSORDPIB_H
#define SENSORDPIB_H

// A DPI page that shows all eight levels side by side, A to H, each with a
// colour button, a current-level toggle, a slider and a value box. It
// starts from the product's default values and colours of the selected
// device, and every change the user makes goes to the mouse at once:
// a level's colour, its DPI (from the slider, the wheel over the value box
// or a typed value), the current level and the number of levels in use.
// It reads nothing back from the device.

#include "sensorcodes.h"

#include <QFrame>
#include <QString>

namespace Ui {
class SensorDPIB;
}
class QButtonGroup;
class QCheckBox;
class QColorDialog;
class QSlider;
class QSpinBox;
class QToolButton;

// The level sliders are not linear in DPI: the first quarter of
// the travel covers the device's lowest DPI to 400, the second 400 to 1600
// and the second half 1600 to the highest DPI, so the low values get half
// of the travel. Positions lie in the same numbers as the DPI range (lowest
// DPI .. about the highest). A range that cannot carry that scale (lowest
// not below 400 or highest not above 1600) maps one to one, clamped to the
// range; with no range at all a value is its own position.
int dpiSliderPosition(int dpi, const DpiRangeTable &ranges);
// The inverse, clamped to the device's range.
int dpiAtSliderPosition(int position, const DpiRangeTable &ranges);
// The value after `notches` turns of the wheel over a value box: steps of
// 10 up to 10000, of 50 up to 30000 and of 100 above; a turn keeps the step
// of the band it starts in, and the result stays within kLowestDpi ..
// kHighestDpi.
int dpiWheelValue(int value, int notches);

class SensorDPIB : public QFrame
{
    Q_OBJECT
public:
    explicit SensorDPIB(QWidget *parent = nullptr);
    ~SensorDPIB() override;

    // The product's level colours and DPI values of the selected device
    // (Config.ini, the device's Drive group). Writes nothing to the device.
    void loadDpiSettings();
    // Level 0..7 shows the DPI (decimal text) on its slider and value box.
    void setLevelValue(int level, QString dpi);
    void setSliderValue(int dpi, int level);
    void setSpinBoxValue(int value, int level);
    // Stores a level's colour text without showing or sending it.
    void setLevelColorText(int level, QString text);
    // The colour "#rrggbb" for the level whose colour button was used last:
    // stored, sent to the device when writes are allowed, shown.
    void setLevelColor(QString text);
    void applyLevelStyle(int level);
    void applyAllLevelStyles();
    // A DPI typed or wheeled for a level: fitted to the device's range and
    // grid (levels A to F), shown and sent. False when the device did not
    // answer and nothing changed.
    bool commitLevelValue(int value, int level);
    void setCurrentLevel(int level);
    // Rows 0..index in use, the others hidden; index outside 0..7 ignored.
    void setLevelCount(int index);
    void clearChooseEvent();
    void insertChooseEventItem(int index, QString text);
    void blockSliderSignals(bool block);
    void setSliderEnabled(bool enabled);
    void setMaximum(int value);
    void setMinimum(int value);
    void setTitleText(QString text);
    void setSubtitleText(QString text);
    // The slider position of a DPI value for the selected device's range.
    int dpiToSliderPosition(int dpi) const;

    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    bool event(QEvent *event) override;

public slots:
    void SlotSetStyle(int index);
    void SetColor(QColor color);

    void on_horizontalSliderA_sliderMoved(int position);
    void on_horizontalSliderB_sliderMoved(int position);
    void on_horizontalSliderC_sliderMoved(int position);
    void on_horizontalSliderD_sliderMoved(int position);
    void on_horizontalSliderE_sliderMoved(int position);
    void on_horizontalSliderF_sliderMoved(int position);
    void on_horizontalSliderA_valueChanged(int value);
    void on_horizontalSliderB_valueChanged(int value);
    void on_horizontalSliderC_valueChanged(int value);
    void on_horizontalSliderD_valueChanged(int value);
    void on_horizontalSliderE_valueChanged(int value);
    void on_horizontalSliderF_valueChanged(int value);
    void on_horizontalSliderG_valueChanged(int value);
    void on_horizontalSliderH_valueChanged(int value);
    void on_MA_toggled(bool checked);
    void on_MB_toggled(bool checked);
    void on_MC_toggled(bool checked);
    void on_MD_toggled(bool checked);
    void on_ME_toggled(bool checked);
    void on_MF_toggled(bool checked);
    void on_MG_toggled(bool checked);
    void on_MH_toggled(bool checked);
    void on_BlueButtonA_clicked();
    void on_BrightRedButtonA_clicked();
    void on_RedButtonA_clicked();
    void on_YellowButtonA_clicked();
    void on_GreenButtonA_clicked();
    void on_PurpleButtonA_clicked();
    void on_LightBlueButtonA_clicked();
    void on_LightYellowButtonA_clicked();
    void on_ChooseEvent_currentIndexChanged(int index);

private:
    // The slider being pressed (-1: none) and its value before the press.
    int m_pressedSlider = -1;
    int m_valueBeforePress = 0;

    struct Row {
        QToolButton *colour;
        QCheckBox *toggle;
        QSlider *slider;
        QSpinBox *spin;
    };
    Row row(int level) const;
    QString &levelColor(int level);
    // The online check before a level edit: true to go on.
    static bool deviceCheckPasses();
    // Value box style with the given border colour (r,g,b).
    QString spinStyle(const QString &border) const;
    QString sliderStyle(int level, const QString &head, const QString &colour, const QString &tail) const;
    void previewSlider(int level, int position);
    void releaseSlider(int level, int value);
    void toggleLevel(int level, bool checked);
    void chooseColor(int level);
    void wheelLevel(int level, int notches);
    void enterLevelValue(int level);
    // Where a dialog of this page opens: centred on the page, moved by dy.
    QPoint dialogPosition(const QSize &dialog, int dy) const;

    Ui::SensorDPIB *ui;
    QColorDialog *colorDialog;
    QString pictureDir;
    QButtonGroup *levelGroup;
    int selectedLevelNumber = 1;
    QString levelColor6 = QStringLiteral("#9f0000");
    QString levelColor7 = QStringLiteral("#00d4d4");
    // No colour button used yet: a colour that arrives goes nowhere.
    int colorLevel = -1;
    QString spinTextColor;
    QString spinBackColor;
    QString spinBorderColorB;
    QString spinBorderColor;
    QString spinSelectedBorderColor;
};

#endif // SENSORDPIB_H

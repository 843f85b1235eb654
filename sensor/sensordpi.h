#ifndef SENSORDPI_H
#define SENSORDPI_H

// The DPI frame of the device page: up to eight level buttons that carry
// each level's DPI, a slider and a value box for the selected level, the
// level-count box and a marker under the selected level. The page fills it
// from device data; the widget writes nothing yet.

#include <QFrame>
#include <QList>

namespace Ui {
class SensorDPI;
}
class QButtonGroup;
class QToolButton;

class SensorDPI : public QFrame
{
    Q_OBJECT
public:
    explicit SensorDPI(QWidget *parent = nullptr);
    ~SensorDPI() override;

    // Range of the slider and of the value box.
    void setMaximum(int dpi);
    void setMinimum(int dpi);
    void setSliderValue(int dpi);
    void blockSliderSignals(bool block);
    void setSliderEnabled(bool enabled);
    // The product's default level values (Config.ini DPIGrade of the
    // selected device) as level texts, when it names all eight.
    void loadDpiSettings();
    // Level 0..7 checked; other values ignored.
    void setCurrentLevel(int level);
    // Text of level button 0..7; other values ignored.
    void setLevelText(int level, QString text);
    // The selected level index.
    void setStep(int level);
    // The number of levels in use.
    void setStepB(int count);
    // The level-count box.
    void setSpinBoxValue(int count);
    void setSpinBoxMaximum(int maximum, QString text);
    // Shows level buttons 0..last, hides the others; last outside 0..7 is
    // ignored.
    void setLevelCount(int last);
    // One-based: the marker goes under level button n - 1; n outside 1..8
    // is ignored.
    void moveMarkerToLevel(int n);
    // Title and the caption beside the slider.
    void setTexts(QString title, QString caption);
    // The value box; the plus and minus buttons are marked at its limits.
    void setDpiValue(int dpi);
    void refreshLevels();
    void resetLevels();

    int currentLevelIndex() const { return m_currentLevel; }
    int storedLevelCount() const { return m_levelCount; }

private:
    void markLimits();
    void placeLevelButtons(int count);

    Ui::SensorDPI *ui;
    QString m_pictureDir;
    QString m_buttonColor;
    QButtonGroup *m_levelGroup;
    QList<QToolButton *> m_levels;   // by level index
    int m_currentLevel = 1;
    int m_levelCount = 1;
};

#endif // SENSORDPI_H

#ifndef SENSORDPI_H
#define SENSORDPI_H

// The DPI frame of the device page: up to eight level buttons that carry
// each level's DPI, a slider and a value box for the selected level with
// plus and minus along the sensor's DPI ranges, the level-count box with
// its own plus and minus, and a marker under the selected level.
//
// The page fills it through the setters below while it refreshes, and then
// nothing is written. What the user changes goes to the device at once:
// choosing a level writes the current level, a DPI change writes the
// selected level's DPI code, a count change writes the level count (and,
// when the selected level is dropped, swaps it with the new last level
// first). A change the device does not take is put back on screen.

#include <QFrame>
#include <QList>
#include <QRect>

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
    // The slider's value; a change runs the DPI change unless the slider's
    // signals are blocked.
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
    // The level-count box; a changed value runs the count change.
    void setSpinBoxValue(int count);
    void setSpinBoxMaximum(int maximum, QString text = QString());
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private slots:
    void on_horizontalSliderC_sliderMoved(int position);
    void on_horizontalSliderC_valueChanged(int value);
    void on_AddLevelA_clicked();
    void on_ReduceLevelA_clicked();
    void on_spinBoxA_2_valueChanged(int count);
    void on_AddLevelA_2_clicked();
    void on_ReduceLevelA_2_clicked();

private:
    void levelToggled(int level, bool checked);
    void levelClicked(int level);
    void checkLevelQuietly(int level);
    int checkedLevel() const;
    void showLevelDpiAgain();
    void swapSelectedInto(int last);
    void markLimits();
    void markCountLimits();
    void placeLevelButtons(int count);
    void showLargeLook(int level, bool checked);
    QString levelStyle(const char *picture) const;
    static bool writing();

    Ui::SensorDPI *ui;
    QString m_pictureDir;
    QString m_buttonColor;
    QRect m_purpleGeometry;           // as built; it grows while checked
    int m_currentLevel = 1;
    int m_levelCount = 1;             // stored for the page; nothing here reads it
    int m_pendingLevel = 1;           // the selected level when a count change began
    int m_shownCount = 1;             // the count the buttons are laid out for
    int m_lastUnchecked = -1;         // the level a new selection took over from
    bool m_swapping = false;          // a count change selects the new last level
    bool m_sliderPressed = false;     // a press on the slider is still settling
    int m_valueBeforePress = 0;
    QButtonGroup *m_levelGroup;
    QList<QToolButton *> m_levels;    // by level index
};

#endif // SENSORDPI_H

#ifndef COLORSELECT_H
#define COLORSELECT_H

// The colour chooser of a DPI level: twelve fixed swatches, fourteen with
// other shades for a few models. After exec() the opener reads `accepted`
// (OK) and `selectedColor` ("#" and six hexadecimal digits of the swatch
// clicked last, empty when none was).

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class ColorSelect;
}
class QButtonGroup;
class QToolButton;

class ColorSelect : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kSwatches = 14;

    explicit ColorSelect(QWidget *parent = nullptr);
    ~ColorSelect() override;

    // The models whose palette has fourteen swatches and other shades.
    static bool isSpecialModel(int mid);
    // The colour swatch 1..14 gives for a model ("" for other numbers).
    static QString swatchColor(int swatch, int mid);

    bool accepted = false;
    QString selectedColor;
    QString pictureFolder;

public slots:
    void SlotAllLanguage(int index);
    void SlotSetStyle(int index);
    void on_toolButton_clicked();
    void on_toolButton_2_clicked();
    void on_toolButton_3_clicked();
    void on_toolButton_4_clicked();
    void on_toolButton_5_clicked();
    void on_toolButton_6_clicked();
    void on_toolButton_7_clicked();
    void on_toolButton_8_clicked();
    void on_toolButton_9_clicked();
    void on_toolButton_10_clicked();
    void on_toolButton_11_clicked();
    void on_toolButton_12_clicked();
    void on_toolButton_13_clicked();
    void on_toolButton_14_clicked();
    void on_OK_clicked();
    void on_Cancel_clicked();

private:
    QToolButton *swatch(int k) const;

    std::unique_ptr<Ui::ColorSelect> ui;
    QButtonGroup *swatchGroup;
};

#endif // COLORSELECT_H

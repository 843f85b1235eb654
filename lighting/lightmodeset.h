#ifndef LIGHTMODESET_H
#define LIGHTMODESET_H

// The lighting effect editor: a light mode, brightness and speed levels and a
// custom colour (three boxes, a preview, fourteen presets and a colour board
// that picks the colour under the mouse pointer off the screen). Its choice
// lives in its widgets only: it writes nothing to the device or to any file,
// and its one signal is the hub's SigButtonCheck() when it is closed. The
// settings page keeps one instance for its whole life.

#include "colourboxes.h"

#include <QDialog>
#include <QString>

namespace Ui {
class LightModeSet;
}

class LightModeSet : public QDialog
{
    Q_OBJECT
public:
    explicit LightModeSet(QWidget *parent = nullptr);
    ~LightModeSet() override;

private slots:
    void on_AddR_clicked();
    void on_AddG_clicked();
    void on_AddB_clicked();
    void on_ReduceR_clicked();
    void on_ReduceG_clicked();
    void on_ReduceB_clicked();
    void on_RSpinBox_valueChanged(int arg1);
    void on_GSpinBox_valueChanged(int arg1);
    void on_BSpinBox_valueChanged(int arg1);
    void on_toolButtonColorA_clicked();
    void on_toolButtonColorB_clicked();
    void on_toolButtonColorC_clicked();
    void on_toolButtonColorD_clicked();
    void on_toolButtonColorE_clicked();
    void on_toolButtonColorF_clicked();
    void on_toolButtonColorG_clicked();
    void on_toolButtonColorH_clicked();
    void on_toolButtonColorI_clicked();
    void on_toolButtonColorJ_clicked();
    void on_toolButtonColorK_clicked();
    void on_toolButtonColorL_clicked();
    void on_toolButtonColorM_clicked();
    void on_toolButtonColorN_clicked();

public slots:
    void SlotAllLanguage(int index);

private slots:
    void on_CloseButton_clicked();
    void on_LightMod_currentIndexChanged(int index);

protected:
    // A press off the colour boxes ends their editing; a press on the colour
    // board picks the screen colour under the pointer.
    void mousePressEvent(QMouseEvent *event) override;

private:
    void applyPreset(int index);
    ColourBoxes colourBoxes() const;

    Ui::LightModeSet *ui;
    QString m_pictureDir;
};

#endif // LIGHTMODESET_H

#ifndef INPUTPICB_H
#define INPUTPICB_H

// The device screen settings with the picture slots laid out flat: a
// screen-off switch, a brightness slider, four picture slots and import and
// export buttons, all without behaviour of their own yet. The settings page
// keeps one instance for its whole life.

#include <QDialog>
#include <QString>

class QButtonGroup;

namespace Ui {
class InputPicB;
}

class InputPicB : public QDialog
{
    Q_OBJECT
public:
    explicit InputPicB(QWidget *parent = nullptr);
    ~InputPicB() override;

public slots:
    void SlotAllLanguage(int index);

private slots:
    void on_CloseButton_clicked();

private:
    Ui::InputPicB *ui;
    QString pictureFolder;
    QButtonGroup *screenButtonGroup;
};

#endif // INPUTPICB_H

#ifndef LEDINFO_H
#define LEDINFO_H

// What the receiver's LED shows: three exclusive check boxes, one per
// receiver LED mode 1..3, each beside a text that explains it. The dialog
// follows the receiver LED mode that the device link reports for a mouse
// on a receiver link whose model has the option; it changes nothing itself.
// The settings page keeps one instance for its whole life.

#include "flashdatamap.h"

#include <QDialog>
#include <QString>

class QButtonGroup;

namespace Ui {
class LedInfo;
}

class LedInfo : public QDialog
{
    Q_OBJECT
public:
    explicit LedInfo(QWidget *parent = nullptr);
    ~LedInfo() override;

public slots:
    // Runs on the GUI thread while the device library's thread waits.
    void SlotRGBValue(DongleRGB *Rgb);
    void SlotAllLanguage(int index);

private slots:
    void on_CloseButton_clicked();

private:
    Ui::LedInfo *ui;
    QButtonGroup *m_buttonGroup;
    QString m_pictureDir;
};

#endif // LEDINFO_H

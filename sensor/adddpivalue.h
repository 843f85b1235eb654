#ifndef ADDDPIVALUE_H
#define ADDDPIVALUE_H

// The box in which the user types one DPI level's value, kLowestDpi to
// kHighestDpi (sensorcodes.h). The opener presets the level's value, runs
// exec() and then reads `accepted` and, when it is set, `value`. Return and
// keypad Enter confirm; Escape does not close it.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class AddDpiValue;
}

class AddDpiValue : public NoticeDialog
{
    Q_OBJECT
public:
    explicit AddDpiValue(QWidget *parent = nullptr);
    ~AddDpiValue() override;

    // The spin box keeps the value within kLowestDpi .. kHighestDpi.
    void setValue(int dpi);

    bool accepted = false;
    int value = 0;

public slots:
    void SlotAllLanguage(int index) override;
    void SlotSetStyle(int index) override;
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void on_CloseButton_clicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::AddDpiValue> ui;
};

#endif // ADDDPIVALUE_H

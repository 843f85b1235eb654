#ifndef ADDDELAYTIME_H
#define ADDDELAYTIME_H

// The delay dialog of the macro editor: one delay in ms, 0 to 65535, 10
// unless the caller presets it. After exec() the caller reads m_accepted
// and, when it is set, m_value.

#include "devicestate.h"
#include "noticedialog.h"

#include <memory>

namespace Ui {
class AddDelayTime;
}

class AddDelayTime : public NoticeDialog
{
    Q_OBJECT
public:
    explicit AddDelayTime(QWidget *parent = nullptr);
    ~AddDelayTime() override;

    // Presets the delay from a decimal text; a text that is no number gives
    // 0, a number outside the range its nearest end.
    void setValueText(const QString &text);

    u8 m_accepted = 0;
    int m_value = 0;

public slots:
    void SlotSetStyle(int index) override;
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void on_CloseButton_clicked();

private:
    std::unique_ptr<Ui::AddDelayTime> ui;
};

#endif // ADDDELAYTIME_H

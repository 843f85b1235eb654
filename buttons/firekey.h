#ifndef FIREKEY_H
#define FIREKEY_H

// The rapid-fire dialog: how many shots (0 to 3; 0 keeps firing while the
// button is held) and the interval between them (10 to 255). The caller
// presets both, runs exec() and, when `accepted` is set, uses `interval`
// and `count`; Cancel and close keep the values the dialog started with.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class FireKey;
}

class FireKey : public NoticeDialog
{
    Q_OBJECT
public:
    explicit FireKey(QWidget *parent = nullptr);
    ~FireKey() override;

    static constexpr int kWidth = 406;
    static constexpr int kHeight = 170;

    // Presets; values outside the boxes' ranges are clamped.
    void setCount(int value);
    void setInterval(int value);

    bool accepted = false;
    int interval = 10;
    int count = 3;

public slots:
    void SlotAllLanguage(int index) override;
    void SlotSetStyle(int index) override;
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void on_CloseButton_clicked();

private:
    std::unique_ptr<Ui::FireKey> ui;
};

#endif // FIREKEY_H

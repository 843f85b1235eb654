#ifndef RATESELECTOR_H
#define RATESELECTOR_H

// What both polling-rate layouts share: seven options in rate order (125,
// 250, 500, 1000, 2000, 4000, 8000 Hz) whose buttons carry the same object
// names in either form, and the write of the chosen rate. A rate the device
// did not take is not shown; after a taken one the hub hears whether a high
// rate (2000 Hz and up) was chosen.

#include <QFrame>

#include <memory>

class OptionRow;

class RateSelector : public QFrame
{
    Q_OBJECT
public:
    ~RateSelector() override;

protected:
    explicit RateSelector(QWidget *parent);

    // Set by the layout once its form is built, buttons in rate order.
    std::unique_ptr<OptionRow> m_row;

private slots:
    void on_Button125HZ_clicked(bool checked);
    void on_Button250HZ_clicked(bool checked);
    void on_Button500HZ_clicked(bool checked);
    void on_Button1000HZ_clicked(bool checked);
    void on_Button2000HZ_clicked(bool checked);
    void on_Button4000HZ_clicked(bool checked);
    void on_Button8000HZ_clicked(bool checked);

private:
    void chooseRate(int index, bool checked);
};

#endif // RATESELECTOR_H

#ifndef CUSTOMPUSHBUTTON_H
#define CUSTOMPUSHBUTTON_H

#include <QPushButton>

// A + or − button beside a spin box: at the spin box's limit its owner marks
// it forbidden and the mouse shows the forbidden cursor over it. Clicks still
// go through; the spin box itself enforces the limit.
class CustomPushButton : public QPushButton
{
    Q_OBJECT
public:
    explicit CustomPushButton(QWidget *parent = nullptr);
    CustomPushButton(const QString &text, QWidget *parent = nullptr);

    // Takes effect the next time the mouse enters the button.
    void setForbidden(bool forbidden);

protected:
    void enterEvent(QEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    bool forbidden = false;
};

#endif // CUSTOMPUSHBUTTON_H

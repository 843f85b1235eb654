#ifndef CONTAINRESET_H
#define CONTAINRESET_H

// Asks before the device is reset to its defaults (or, with a text of the
// caller's own, before a firmware update).

#include "noticedialog.h"

#include <memory>

namespace Ui {
class ContainReset;
}

class ContainReset : public TwoButtonNotice
{
    Q_OBJECT
public:
    explicit ContainReset(QWidget *parent = nullptr);
    ~ContainReset() override;

    // Replaces the table text until the next language change.
    void setText(QString text);

    bool accepted = false;   // true only when OK closed the question

private:
    std::unique_ptr<Ui::ContainReset> ui;
};

#endif // CONTAINRESET_H

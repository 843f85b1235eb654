#ifndef MOUSEOFFLINE_H
#define MOUSEOFFLINE_H

// The device stopped answering (a write found it offline, or its data never
// came after the parameter upload). Closes by itself when the device is back.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class MouseOffLine;
}

class MouseOffLine : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit MouseOffLine(QWidget *parent = nullptr);
    ~MouseOffLine() override;

private:
    std::unique_ptr<Ui::MouseOffLine> ui;
};

#endif // MOUSEOFFLINE_H

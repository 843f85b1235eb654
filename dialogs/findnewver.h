#ifndef FINDNEWVER_H
#define FINDNEWVER_H

// New firmware is available; the check box is read by nobody.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class FindNewVer;
}

class FindNewVer : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit FindNewVer(QWidget *parent = nullptr);
    ~FindNewVer() override;

private:
    std::unique_ptr<Ui::FindNewVer> ui;
};

#endif // FINDNEWVER_H

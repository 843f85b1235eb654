#ifndef INPORTFAIL_H
#define INPORTFAIL_H

// A configuration file chosen for import failed its check (g_importResult:
// 1 unreadable or not an export, 2 made for another sensor or too many levels).

#include "noticedialog.h"

#include <memory>

namespace Ui {
class InportFail;
}

class InportFail : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit InportFail(QWidget *parent = nullptr);
    ~InportFail() override;

private:
    std::unique_ptr<Ui::InportFail> ui;
};

#endif // INPORTFAIL_H

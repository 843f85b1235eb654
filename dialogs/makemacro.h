#ifndef MAKEMACRO_H
#define MAKEMACRO_H

// Asks the user to make a macro first.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class MakeMacro;
}

class MakeMacro : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit MakeMacro(QWidget *parent = nullptr);
    ~MakeMacro() override;

private:
    std::unique_ptr<Ui::MakeMacro> ui;
};

#endif // MAKEMACRO_H

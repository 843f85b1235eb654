#ifndef SAMEMACRO_H
#define SAMEMACRO_H

// A macro of that name is already in the list.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class SameMacro;
}

class SameMacro : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit SameMacro(QWidget *parent = nullptr);
    ~SameMacro() override;

private:
    std::unique_ptr<Ui::SameMacro> ui;
};

#endif // SAMEMACRO_H

#ifndef LESSTHREE_H
#define LESSTHREE_H

// A short debounce time or a risky option was chosen.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class LessThree;
}

class LessThree : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit LessThree(QWidget *parent = nullptr);
    ~LessThree() override;

    // Replaces the table text until the next language change.
    void setText(QString text);

private:
    std::unique_ptr<Ui::LessThree> ui;
};

#endif // LESSTHREE_H

#ifndef UPDATEWARNING_H
#define UPDATEWARNING_H

// A firmware update notice; every caller passes its text through setText().

#include "noticedialog.h"

#include <memory>

namespace Ui {
class UpDateWarning;
}

class UpDateWarning : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit UpDateWarning(QWidget *parent = nullptr);
    ~UpDateWarning() override;

    // Replaces the table text until the next language change.
    void setText(QString text);

private:
    std::unique_ptr<Ui::UpDateWarning> ui;
};

#endif // UPDATEWARNING_H

#ifndef EXEISRUN_H
#define EXEISRUN_H

// The notice that another instance runs. It is shown at start-up before the
// language tables exist, so it reads its own page "EXEIsRun" from the
// language file whose index the user settings hold. The button page reuses
// it for two recording messages kept from the same page.

#include "noticedialog.h"

#include <memory>

namespace Ui {
class ExeIsRun;
}

class ExeIsRun : public OneButtonNotice
{
    Q_OBJECT
public:
    explicit ExeIsRun(QWidget *parent = nullptr);
    ~ExeIsRun() override;

    void showFirstText();    // "no macro selected" text (key label_2)
    void showSecondText();   // "stop the recording first" text (key PleaseStop)

public slots:
    void SlotChangeLanguage(int index);

private:
    std::unique_ptr<Ui::ExeIsRun> ui;
    QString m_firstText;
    QString m_secondText;
};

#endif // EXEISRUN_H

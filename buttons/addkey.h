#ifndef ADDKEY_H
#define ADDKEY_H

// The single-key dialog: the user names one keyboard key by pressing it.
// While it is open the dialog's keyboard hook reports every key; the line
// edit shows the name of the last one. After exec() the caller reads
// m_accepted (OK pressed) and m_keyName (the macro name of the key, empty
// when OK came before any key or the key has no name).

#include "keyentrydialog.h"
#include "keytables.h"

#include <memory>

namespace Ui {
class addKey;
}
class AddKeyHook;

class addKey : public KeyEntryDialog
{
    Q_OBJECT
public:
    explicit addKey(QWidget *parent = nullptr);
    ~addKey() override;

    bool m_accepted = false;
    QString m_keyName;

public slots:
    void SlotSetStyle(int index) override;
    void UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu);
    void on_CloseButton_clicked();
    void on_NewHong_clicked();
    void on_NewHong_2_clicked();
    void on_lineEdit_textChanged(const QString &arg1);

private:
    std::unique_ptr<Ui::addKey> ui;
    AddKeyHook *m_keyboardHook;   // owned by the base
    bool m_settingText = false;
};

#endif // ADDKEY_H

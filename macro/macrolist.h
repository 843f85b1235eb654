#ifndef MACROLIST_H
#define MACROLIST_H

// The chooser of a stored macro, shown when a button is given the macro
// function. It lists the macro folder itself; the caller runs it with
// exec() and then reads `accepted` and `macroName`.

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class MacroList;
}

class MacroList : public QDialog
{
    Q_OBJECT
public:
    explicit MacroList(QWidget *parent = nullptr);
    ~MacroList() override;

    // Window flags: SubWindow | BypassWindowManager | Frameless |
    // SystemMenu | MinimizeButton.
    static constexpr int kWindowFlags = 0x6C12;

    bool accepted = false;   // true once OK closed the dialog, false after Cancel
    QString macroName;       // the row chosen with OK; empty when none was

public slots:
    void on_OK_clicked();
    void on_Cancel_clicked();
    void on_CloseButton_clicked();
    void on_pushButton_clicked();
    void SlotAllLanguage(int index);
    void SlotSetStyle(int index);

private:
    std::unique_ptr<Ui::MacroList> ui;
    QString m_pictureDir;
};

#endif // MACROLIST_H

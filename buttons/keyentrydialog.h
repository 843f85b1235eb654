#ifndef KEYENTRYDIALOG_H
#define KEYENTRYDIALOG_H

// What the two dialogs that hear keys through a keyboard hook share: they
// own their hook service, every way they end (OK, Cancel, close, a close
// request of the window system, destruction) takes the hook away, and
// Escape is a key to enter rather than a way out.

#include "noticedialog.h"

#include <memory>

class KeyHookService;

class KeyEntryDialog : public NoticeDialog
{
    Q_OBJECT
public:
    ~KeyEntryDialog() override;

public slots:
    void done(int result) override;

protected:
    KeyEntryDialog(const NoticeTraits &traits, QWidget *parent);
    // Takes ownership of the dialog's hook service.
    void adoptHook(KeyHookService *hook);
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<KeyHookService> m_hook;
};

#endif // KEYENTRYDIALOG_H

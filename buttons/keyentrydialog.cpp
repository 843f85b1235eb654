#include "keyentrydialog.h"

#include "keyboardhook.h"

#include <QKeyEvent>

KeyEntryDialog::KeyEntryDialog(const NoticeTraits &traits, QWidget *parent) : NoticeDialog(traits, parent) {}

KeyEntryDialog::~KeyEntryDialog()
{
    if (m_hook)
        m_hook->release();
}

void KeyEntryDialog::adoptHook(KeyHookService *hook)
{
    m_hook.reset(hook);
}

void KeyEntryDialog::done(int result)
{
    if (m_hook)
        m_hook->release();
    NoticeDialog::done(result);
}

void KeyEntryDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12)
        return;
    NoticeDialog::keyPressEvent(event);
}

#ifndef GROUPKEY_H
#define GROUPKEY_H

// The key-combination dialog: up to seven modifier boxes plus at most three
// keys pressed on the keyboard, which the dialog's keyboard hook reports
// while it is open; a modifier key pressed there ticks its box. OK composes
// the combination text (modifier names in a fixed order, then the keys in
// the order pressed, joined by "+"). After exec() the caller reads
// m_accepted and m_resultText; it uses the text only when the flag is set
// and the text is not empty.

#include "devicestate.h"
#include "keyentrydialog.h"

#include <QElapsedTimer>
#include <functional>
#include <memory>

namespace Ui {
class GroupKey;
}
class QCheckBox;
class GroupKeyHook;

class GroupKey : public KeyEntryDialog
{
    Q_OBJECT
public:
    explicit GroupKey(QWidget *parent = nullptr);
    ~GroupKey() override;

    u8 m_accepted = 0;
    QString m_resultText;

    // Keys pressed within this many ms of a sequence's first key belong to
    // one combination; a later key starts a new one.
    static constexpr qint64 kSequenceMs = 2000;
    // The clock of the key sequence, in ms (tests put in their own).
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

    // The combination name of a virtual-key code; empty for the modifier
    // keys (they are the boxes) and for codes without a name.
    static QString keyName(int vk);

public slots:
    void SlotSetStyle(int index) override;
    void UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu);
    void on_NewHong_clicked();
    void on_CloseButton_clicked();
    void on_lineEdit_textEdited(const QString &text);

private:
    // The box of a modifier key's virtual-key code, or null.
    QCheckBox *modifierBox(int vk) const;

    std::unique_ptr<Ui::GroupKey> ui;
    GroupKeyHook *m_keyboardHook;   // owned by the base
    int m_plusCount = 0;
    int m_lastKey = -1;
    u8 m_firstKey = 1;
    qint64 m_sequenceStart = 0;
    QElapsedTimer m_elapsed;
    std::function<qint64()> m_clock;
};

#endif // GROUPKEY_H

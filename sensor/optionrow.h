#ifndef OPTIONROW_H
#define OPTIONROW_H

// A row of option buttons, mostly under their captions (polling rate,
// lift-off distance, sleep time): one exclusive group, the chosen option's caption in
// the selected colour and the others plain. The row remembers which option
// it shows, so that a click whose value did not reach the device can put
// the row back: the widgets must only ever show what the device holds.

#include <QList>

#include <functional>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QWidget;

class OptionRow
{
public:
    // Buttons and captions (none for a row whose buttons show the choice
    // themselves) by option index; the group becomes a child of `owner`.
    // The captions take the plain look: nothing is chosen before the device
    // is read.
    OptionRow(QWidget *owner, const QList<QAbstractButton *> &buttons, const QList<QLabel *> &captions = {});

    // From the page: checks option `index` and marks its caption. An index
    // outside the row changes nothing. Checking from code emits no click,
    // so this never writes.
    void select(int index);

    // The user clicked option `index`. When `mayWrite` holds and `write`
    // reports that the value reached the device, the row shows the option;
    // otherwise it goes back to the option it showed before.
    bool choose(int index, bool mayWrite, const std::function<bool()> &write);

    // The option shown, -1 before the first one.
    int shown() const { return m_shown; }

private:
    void show(int index);

    QButtonGroup *m_group;
    QList<QAbstractButton *> m_buttons;
    QList<QLabel *> m_captions;
    int m_shown = -1;
};

#endif // OPTIONROW_H

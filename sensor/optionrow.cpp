#include "optionrow.h"

#include "sensorstyle.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>

OptionRow::OptionRow(QWidget *owner, const QList<QAbstractButton *> &buttons, const QList<QLabel *> &captions)
    : m_group(new QButtonGroup(owner)), m_buttons(buttons), m_captions(captions)
{
    m_group->setExclusive(true);
    for (QAbstractButton *b : buttons)
        m_group->addButton(b);
    markSelectedCaption(captions, -1);
}

void OptionRow::select(int index)
{
    if (index >= 0 && index < m_buttons.size())
        show(index);
}

bool OptionRow::choose(int index, bool mayWrite, const std::function<bool()> &write)
{
    if (mayWrite && write()) {
        show(index);
        return true;
    }
    show(m_shown);
    return false;
}

void OptionRow::show(int index)
{
    if (index >= 0) {
        m_buttons.at(index)->setChecked(true);
    } else if (QAbstractButton *clicked = m_group->checkedButton()) {
        // Nothing was shown yet: an exclusive group keeps one button
        // checked, so it lets go for a moment.
        m_group->setExclusive(false);
        clicked->setChecked(false);
        m_group->setExclusive(true);
    }
    markSelectedCaption(m_captions, index);
    m_shown = index;
}

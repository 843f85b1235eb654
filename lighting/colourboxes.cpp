#include "colourboxes.h"

#include "lightingstyles.h"
#include "screencolorpick.h"

#include <QLabel>
#include <QSpinBox>

ColourBoxes::ColourBoxes(QSpinBox *red, QSpinBox *green, QSpinBox *blue, QLabel *preview)
    : m_red(red), m_green(green), m_blue(blue), m_preview(preview)
{
}

QColor ColourBoxes::colour() const
{
    return QColor(m_red->value(), m_green->value(), m_blue->value());
}

void ColourBoxes::setColour(const QColor &colour) const
{
    m_red->setValue(colour.red());
    m_green->setValue(colour.green());
    m_blue->setValue(colour.blue());
}

void ColourBoxes::step(QSpinBox *box, int delta)
{
    box->setValue(box->value() + delta);
}

void ColourBoxes::showPreview() const
{
    showPreview(colour());
}

void ColourBoxes::showPreview(const QColor &colour) const
{
    m_preview->setStyleSheet(LightingStyles::previewStyle(colour.red(), colour.green(), colour.blue()));
}

bool ColourBoxes::pickFromScreen() const
{
    QColor picked;
    if (!pickColorUnderCursor(&picked))
        return false;
    setColour(picked);
    showPreview(picked);
    return true;
}

void releaseFocusOutside(QWidget *owner, const QPoint &pos, std::initializer_list<QWidget *> boxes)
{
    for (QWidget *box : boxes) {
        if (box->geometry().contains(pos))
            return;
    }
    for (QWidget *box : boxes)
        box->clearFocus();
    owner->setFocus(Qt::OtherFocusReason);
}

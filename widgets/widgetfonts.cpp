#include "widgetfonts.h"

#include <QFont>
#include <QList>
#include <QPair>
#include <QWidget>

namespace {

void collectFonts(QWidget *widget, QList<QPair<QWidget *, qreal>> &sizes)
{
    sizes.append(qMakePair(widget, widget->font().pointSizeF()));
    for (QObject *child : widget->children()) {
        if (child && child->isWidgetType())
            collectFonts(static_cast<QWidget *>(child), sizes);
    }
}

} // namespace

void scaleWidgetFonts(QWidget *widget, double factor)
{
    if (!widget)
        return;
    // Every size is read before any is changed: setting a parent's font
    // passes it on to the children that inherit it, and scaling them again
    // afterwards would shrink them by the factor once per level.
    QList<QPair<QWidget *, qreal>> sizes;
    collectFonts(widget, sizes);
    for (const auto &entry : sizes) {
        // A font sized in pixels has no point size to scale.
        if (entry.second <= 0)
            continue;
        QFont font = entry.first->font();
        font.setPointSizeF(entry.second * factor);
        entry.first->setFont(font);
    }
}

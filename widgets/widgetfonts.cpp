#include "widgetfonts.h"

#include <QFont>
#include <QList>
#include <QPair>
#include <QVariant>
#include <QWidget>

namespace {

// What scaleWidgetFonts leaves on the widgets it scaled: the factor, and
// each widget's point size before.
const char kFactorProperty[] = "quz_fontFactor";
const char kFormSizeProperty[] = "quz_formPointSize";

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
        entry.first->setProperty(kFactorProperty, factor);
        // A font sized in pixels has no point size to scale.
        if (entry.second <= 0)
            continue;
        entry.first->setProperty(kFormSizeProperty, entry.second);
        QFont font = entry.first->font();
        font.setPointSizeF(entry.second * factor);
        entry.first->setFont(font);
    }
}

QWidget *makeWithScaledFonts(QWidget *parent, const std::function<QWidget *()> &make)
{
    const QVariant factor = parent ? parent->property(kFactorProperty) : QVariant();
    if (!factor.isValid())
        return make();
    // Made while `parent` has its size of before the scaling, the widgets
    // that take their size from it take that size; scaling them then gives
    // what the window's scaling gave its widgets.
    const QFont scaled = parent->font();
    const QVariant formSize = parent->property(kFormSizeProperty);
    if (formSize.isValid()) {
        QFont before = scaled;
        before.setPointSizeF(formSize.toReal());
        parent->setFont(before);
    }
    QWidget *made = make();
    scaleWidgetFonts(made, factor.toDouble());
    // The toolkit's own parts of a widget (a spin box's text field, a
    // scroll area's viewport) take the widget's size when it is first
    // polished. Below a window with a style sheet they are given their
    // font as they are made, before the form has sized the widget; made
    // with the window, they were first polished once it was scaled.
    for (QWidget *part : made->findChildren<QWidget *>()) {
        if (!part->objectName().startsWith(QLatin1String("qt_")) || !part->parentWidget())
            continue;
        const QFont whole = part->parentWidget()->font();
        QFont font = part->font();
        if (whole.pointSizeF() > 0)
            font.setPointSizeF(whole.pointSizeF());
        else
            font.setPixelSize(whole.pixelSize());
        part->setFont(font);
    }
    if (formSize.isValid())
        parent->setFont(scaled);
    return made;
}

#include "myconmbobox.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

MyConmboBox::MyConmboBox(QWidget *parent) : QComboBox(parent) {}

void MyConmboBox::mousePressEvent(QMouseEvent *e)
{
    pressIndex = currentIndex();
    QComboBox::mousePressEvent(e);
}

void MyConmboBox::paintEvent(QPaintEvent *)
{
    QStyleOptionComboBox comboOption;
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Text));
        initStyleOption(&comboOption);
        style()->drawComplexControl(QStyle::CC_ComboBox, &comboOption, &painter, this);
        if (isEditable()) {
            style()->drawControl(QStyle::CE_ComboBoxLabel, &comboOption, &painter, this);
            return;
        }
    }
    // Not editable: draw the label the way a push button does, centred in
    // the edit field rather than left-aligned.
    QStyleOptionButton buttonOption;
    buttonOption.initFrom(this);
    buttonOption.rect = style()->subControlRect(QStyle::CC_ComboBox, &comboOption,
                                                QStyle::SC_ComboBoxEditField, this);
    buttonOption.text = comboOption.currentText;
    buttonOption.icon = comboOption.currentIcon;
    buttonOption.iconSize = comboOption.iconSize;
    QPainter painter(this);
    style()->drawControl(QStyle::CE_PushButtonLabel, &buttonOption, &painter, this);
}

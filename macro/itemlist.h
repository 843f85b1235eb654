#ifndef ITEMLIST_H
#define ITEMLIST_H

// The row widget of the macro list: a rename and a delete button beside
// the macro's name. The row does not know its macro: a button takes the
// focus (which makes its row the list's current row) and announces itself
// through PostMsg; the page acts on the current row.

#include <QWidget>

namespace Ui {
class ItemList;
}

// What both row widgets are drawn with: the product-wide button colour
// ("r,g,b" of Option/ButtonColor) and a tool button's picture style.
QString macroRowColor();
QString macroRowButtonStyle(const QString &color, const QString &dir, const char *picture, const char *hover);

class QListWidget;

// Gives the rows of a macro list that are in view their ItemList, and from
// then on each row as it comes into view (the list shown, resized or
// scrolled): a list of hundreds of macros would otherwise build a form and
// two picture styles per macro before the page could show. Called again
// after rows were added or removed. A row keeps its ItemList once made.
void giveMacroRowsInViewTheirWidgets(QListWidget *list);

class ItemList : public QWidget
{
    Q_OBJECT
public:
    explicit ItemList(QWidget *parent = nullptr);
    ~ItemList() override;

    QString text() const;
    void setText(QString text);

public slots:
    void on_toolButton_2_clicked();
    void on_toolButton_3_clicked();
    // The rows keep the colours they were built with.
    void SlotSetStyle(int index);

private:
    Ui::ItemList *ui;
    QString m_pictureDir;
};

#endif // ITEMLIST_H

#ifndef ITEMLISTKEY_H
#define ITEMLISTKEY_H

// The row widget of the event list: edit-key, edit-delay and delete
// buttons and the label with the delay that follows the event. Like the
// macro rows it does not know its event: a button takes the focus (making
// its row the list's current row) and announces itself through PostMsg.

#include <QWidget>

namespace Ui {
class itemlistKey;
}

class itemlistKey : public QWidget
{
    Q_OBJECT
public:
    explicit itemlistKey(QWidget *parent = nullptr);
    ~itemlistKey() override;

    // The delay text ("10ms").
    QString text() const;
    void setText(QString text);

public slots:
    void on_toolButton_2_clicked();
    void on_toolButton_3_clicked();
    void on_toolButton_4_clicked();
    // The rows keep the colours they were built with.
    void SlotSetStyle(int index);

private:
    Ui::itemlistKey *ui;
    QString m_pictureDir;
};

#endif // ITEMLISTKEY_H

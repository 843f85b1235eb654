#ifndef STOPCLOSETIME_H
#define STOPCLOSETIME_H

// The sleep-time row of the device page: six options from 10 s to 30 min,
// each a round button under its caption, and a title. The page marks the
// time the device holds and sets the texts; the widget writes nothing yet.

#include <QFrame>
#include <QList>

namespace Ui {
class StopCloseTime;
}
class QButtonGroup;
class QLabel;
class QToolButton;

class StopCloseTime : public QFrame
{
    Q_OBJECT
public:
    explicit StopCloseTime(QWidget *parent = nullptr);
    ~StopCloseTime() override;

    // Index 0..5: checks its button and marks its caption; others ignored.
    void setCurrentIndex(int index);
    // Index 0..5: the caption of that option; 6: the title; others ignored.
    void setItemText(int index, QString text);

private:
    Ui::StopCloseTime *ui;
    QString m_pictureDir;
    QButtonGroup *m_group;
    QList<QToolButton *> m_buttons;
    QList<QLabel *> m_captions;
};

#endif // STOPCLOSETIME_H

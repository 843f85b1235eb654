#ifndef STOPCLOSETIME_H
#define STOPCLOSETIME_H

// The sleep-time row of the device page: six options from 10 s to 30 min,
// each a round button under its caption, and a title. The page marks the
// time the device holds and sets the texts; a click writes the chosen time
// at once.

#include <QFrame>

#include <memory>

namespace Ui {
class StopCloseTime;
}
class OptionRow;

class StopCloseTime : public QFrame
{
    Q_OBJECT
public:
    explicit StopCloseTime(QWidget *parent = nullptr);
    ~StopCloseTime() override;

    // Index 0..5: checks its button and marks its caption; others ignored.
    // Never writes.
    void setCurrentIndex(int index);
    // Index 0..5: the caption of that option; 6: the title; others ignored.
    void setItemText(int index, QString text);

public slots:
    // The row keeps the colours it was built with.
    void SlotSetStyle(int index);

private slots:
    void on_Button10_clicked(bool checked);
    void on_Button30_clicked(bool checked);
    void on_Button1_clicked(bool checked);
    void on_Button5_clicked(bool checked);
    void on_Button10M_clicked(bool checked);
    void on_Button30M_clicked(bool checked);

private:
    void timeClicked(int index, bool checked);

    Ui::StopCloseTime *ui;
    QString m_pictureDir;
    std::unique_ptr<OptionRow> m_row;
};

#endif // STOPCLOSETIME_H

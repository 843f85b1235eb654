#ifndef DEBOUNCETIME_H
#define DEBOUNCETIME_H

// The mouse buttons' debounce time as a combo box of 0 to 20 ms (the entry
// index is the time). A choice is written at once; a time below 8 ms brings
// the warning that clicks may register twice, unless the device page is
// filling its widgets.

#include <QFrame>

namespace Ui {
class DebounceTime;
}

class DebounceTime : public QFrame
{
    Q_OBJECT
public:
    explicit DebounceTime(QWidget *parent = nullptr);
    ~DebounceTime() override;

    // Entry `index` reads the index followed by `unit` ("5ms").
    void setItemText(int index, QString unit);

public slots:
    void on_Debunce_currentIndexChanged(int index);

private:
    Ui::DebounceTime *ui;
    QString m_pictureDir;
    int m_shownIndex = 0;   // the time the mouse holds as far as we know
};

#endif // DEBOUNCETIME_H

#ifndef DEBOUNCETIMEC_H
#define DEBOUNCETIMEC_H

// The debounce time as a read-only number with + and − beside it, 1 to
// 20 ms; each step is written at once.

#include <QFrame>

namespace Ui {
class DebouncetimeC;
}

class DebouncetimeC : public QFrame
{
    Q_OBJECT
public:
    explicit DebouncetimeC(QWidget *parent = nullptr);
    ~DebouncetimeC() override;

    // The unit after the number; the index is not used.
    void setItemText(int index, QString unit);

public slots:
    void on_AddLevelA_clicked();
    void on_ReduceLevelA_clicked();

private:
    void step(int by);

    Ui::DebouncetimeC *ui;
    QString m_pictureDir;
};

#endif // DEBOUNCETIMEC_H

#ifndef MYTHREAD_H
#define MYTHREAD_H

// The device screen dialog's worker thread. It has no work of its own: run()
// returns at once, so a thread that somebody starts also ends and can be
// destroyed without waiting forever.

#include <QThread>

class MyThread : public QThread
{
    Q_OBJECT
public:
    explicit MyThread(QObject *parent = nullptr) : QThread(parent) {}
    ~MyThread() override;

protected:
    void run() override;
};

#endif // MYTHREAD_H

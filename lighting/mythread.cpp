#include "mythread.h"

MyThread::~MyThread()
{
    wait();
}

void MyThread::run()
{
}

#ifndef WORKER_H
#define WORKER_H

// The device worker: run() starts the library's device server for the chosen
// device and asks for its whole configuration (or shows the cached image of
// an offline device); a 1,300 ms timer watches a lost device and restarts
// the thread when a re-read is wanted. Device answers arrive later through
// onDeviceEvent on the library's thread.
//
// The button page creates the one Worker (g_worker); the object lives on the
// GUI thread, only run() runs on the worker thread.

#include "flashdatamap.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QThread>

#include <mutex>

class QTimer;

class Worker : public QThread
{
    Q_OBJECT
public:
    // The parent only documents the owner: the thread object is deleted by
    // its owner with deleteLater once the thread has finished, never as a
    // child while run() may still be going.
    explicit Worker(QObject *owner = nullptr);
    ~Worker() override;

    // A second accessor that creates an instance on first use; the program
    // uses g_worker.
    static Worker *instance();

    // The device-change callback of the device page (StartUsbChanged(..., 600)).
    // Called on a library thread; the scan itself runs on the GUI thread.
    static int onUsbChanged();
    // The scan, GUI thread only.
    static void scanDevices();
    static void findDevices(QString vid, QStringList pids);
    // 1 recognised, 0 no answer (or no device groups), 2 a model of the
    // product the configuration does not describe, 3 another product.
    static int identifyDevice(DeviceAllInfo &record, const char *path);
    // Makes info the selection when it answers; restarts the worker always.
    static void startIfOnline(DeviceAllInfo info);
    // A second search of the same family through the default-interface
    // call. Nothing in the program uses it; it keeps no record and changes
    // no state.
    static void LoadDeviceIds();
    static void FindDevicesByPid(QString vid, QStringList pids);

    static void clearReadPending();
    static bool setReadPending();
    static bool clearReadPendingB();

    // g_workerReadPending = 1, then start with InheritPriority.
    void startRead();

    // Starts the thread (QThread::start, which it hides, so that every start
    // comes here). The selection and the cache name belong to the GUI
    // thread: the path and link byte of the selection and g_deviceCachePath
    // are copied here, on the thread that starts the Worker, and run() reads
    // the copy. A start while the thread still runs starts nothing and
    // leaves the copy for the next run.
    void start(QThread::Priority priority = QThread::InheritPriority);

public slots:
    void SlotCheckOnline();
    void SlotSelectMouseInfo(DeviceAllInfo info);
    void SlotMainPageChange();

protected:
    void run() override;

private:
    // Guards the copy taken by start() and the two records of the last
    // server start, which successive runs (on different threads) share.
    std::mutex m_runMutex;
    QString m_selectedPath;
    int m_selectedLinkType = 0;
    QString m_cachePath;
    int lastLinkType = 0;
    QString lastPath;
};

extern Worker *g_worker;
extern Worker *g_workerInstance;
extern QTimer *g_checkTimer;

#endif // WORKER_H

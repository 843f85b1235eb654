#ifndef UPDATAPARAM_H
#define UPDATAPARAM_H

// The small wait notice over the device page while the device's settings are
// fetched or an imported configuration is applied. It closes itself: 2.5 s
// after startCloseTimer() its timeout slot does the work of the moment
// (wait for the button page to fill, keep the device cache, apply an import,
// or raise the offline notice) and closes the notice.

#include <QDialog>
#include <QString>

#include <memory>

class QTimer;

namespace Ui {
class UpDataParam;
}

// Which of the two texts of the notice's language table is shown: 0 while
// reading the device, 1 while an import is applied.
extern int g_upDataParamTextIndex;

class UpDataParam : public QDialog
{
    Q_OBJECT
public:
    explicit UpDataParam(QWidget *parent = nullptr);
    ~UpDataParam() override;

    static constexpr int kCloseDelayMs = 2500;

    // Starts the single-shot close timer; callers call it before exec().
    void startCloseTimer();
    // Kept for the callers' sake; there is nothing to prepare.
    void prepare(int index);

    QTimer *closeTimer() const { return m_closeTimer; }

    QString importPath;        // the configuration file to apply
    bool importMode = false;   // apply importPath when the timer fires
    bool reloadMode = false;   // a re-read after a device status change

public slots:
    void onTimeupDestroy();
    void SlotAllLanguage(int index);
    void SlotSetStyle(int index);

private:
    // Waits up to 12 x 500 ms, with the event loop running, for the button
    // page to report a full refresh. True when it did.
    static bool waitForButtonPage();
    void runReload();
    void runImport();
    void runDeviceData();
    void runNoDeviceData();

    std::unique_ptr<Ui::UpDataParam> ui;
    QString m_pictureDir;
    QTimer *m_closeTimer = nullptr;
    bool m_running = false;
};

#endif // UPDATAPARAM_H

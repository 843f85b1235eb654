#ifndef MATCH_H
#define MATCH_H

// The pairing dialog: puts the receiver into pairing mode for a mouse and
// shows how the run ends. Callers build it without parent on their stack,
// call init(), place it and run exec(); no result is read. A pairing run
// hands the device server the dialog's report callback: after exec() the
// caller hands it back to the device event callback.
//
// Which device init() pairs: the selected device while a device page is open
// (g_devicePageActive 1); else, when g_pairWithStoredDevice is 1, the device
// the device list stored in g_pairDevice; else the first device found
// (g_foundDevices). With none of them pairing is not offered.

#include "flashdatamap.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

namespace Ui {
class Match;
}
class QTimer;

class Match : public QDialog
{
    Q_OBJECT
public:
    explicit Match(QWidget *parent = nullptr);
    ~Match() override;

    // Second construction step: texts, button, the device to pair, its CID;
    // starts the 100 ms state timer.
    void init();

    // What init() chose.
    QString devicePath() const { return m_devicePath; }
    QString vidText() const { return m_vidText; }
    QString pidText() const { return m_pidText; }
    u8 pairCid() const { return m_cid; }
    bool isWired() const { return m_isWired != 0; }

    // Starts a pairing run (or asks the receiver again while one runs). The
    // receiver's status comes back on the GUI thread (devicepairing.h).
    void startPairing();

    // A run without a final answer from the receiver ends as failed after
    // this many polls (one a second).
    static constexpr int kPairTimeoutPolls = 60;

public slots:
    void on_MatchButton_clicked();
    void WindowClosedSet();
    void onPairTimeupDestroy();
    void onUSBTimeupDestroy();
    void onTextTimeupDestroy();
    void SlotStopTimer();
    void SlotButtonenable(int index);
    void SlotAllLanguage(int index);
    // Escape and the window's close take the close button's way: refused
    // while a run is in progress.
    void reject() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    QString pairButtonStyle() const;
    void failRun();

    Ui::Match *ui;
    u8 m_pairAllowed = 0;
    QString m_selectedPath;
    u8 m_cid = 0;
    QString m_devicePath;
    QString m_vidText;
    QString m_pidText;
    u8 m_isWired = 0;
    bool m_hasDevice = false;
    int m_pollsWithoutAnswer = 0;
    QString m_textMatchButton;
    QString m_textMatching;
    QString m_textMatchFail;
    QString m_textMatchSuccess;
};

// State of the one pairing run (shared by whichever dialog is open), written
// on the GUI thread only.
extern int g_pairState;          // 0 idle, 1 pairing, 2 success, 3 failure
extern u8 g_pairing;             // 1 while a run is in progress
extern u8 g_reopenDevicePage;    // the run was started from a device page
extern QTimer *g_pairPollTimer;  // 1000 ms
extern QTimer *g_pairBlinkTimer; // 100 ms
extern QTimer *g_pairTextTimer;  // 500 ms
extern int g_pairTextStep;
extern QString g_pairButtonColor;

#endif // MATCH_H

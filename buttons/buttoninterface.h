#ifndef BUTTONINTERFACE_H
#define BUTTONINTERFACE_H

// The device page. It creates the device worker (g_worker) and receives the
// device data that the worker and the device-event callback send; those
// signals come from other threads and are connected blocking-queued, so
// the sender waits until the page has taken the data.

#include "flashdatamap.h"

#include <QString>
#include <QVector>
#include <QWidget>

class Buttoninterface : public QWidget
{
    Q_OBJECT
public:
    explicit Buttoninterface(QWidget *parent = nullptr);
    ~Buttoninterface() override;

    // What the page shows.
    const FlashDataMap &shownImage() const { return m_shownImage; }
    int reportRateIndex() const { return m_reportRateIndex; }
    int dpiLevel() const { return m_dpiLevel; }
    int batteryLevel() const { return m_batteryLevel; }
    bool charging() const { return m_charging; }
    QString batteryText() const { return m_batteryText; }
    int profileCount() const { return m_profileCount; }
    int profileIndex() const { return m_profileIndex; }
    bool profileEnabled() const { return m_profileEnabled; }
    bool showsFactoryView() const { return m_factoryView; }
    int fullRefreshCount() const { return m_fullRefreshCount; }

    // The polling-rate code's index in the rate choice, -1 for an unknown code.
    static int reportRateIndexOf(int code);

public slots:
    void SlotUpDataButtonUIButton(FlashDataMap DataMap);
    void SlotUpDataButtonUIB(FlashDataMap DataMap);
    void SlotUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void SlotUpDataDPI(int index);
    void SlotUpDataReportRate(int index);
    void SlotBattery(bool IsCharg, int Number, bool IsText);
    void SlotFormResetButton();
    void SlotMouseIndex(int index);

    // Configuration import and export, factory reset and pairing: the
    // page's operations that drive the device link.
    void on_ImportData_clicked();
    void on_OutputData_clicked();
    void on_Reset_clicked();
    void on_Reset_2_clicked();

private:
    void refreshFromImage(const FlashDataMap &image);
    // Puts a notice over the page: centred, then shifted by (dx, dy).
    void placeNotice(QWidget *notice, int dx, int dy) const;

    FlashDataMap m_shownImage;
    QVector<int> m_buttonTypes;
    QVector<int> m_buttonCodes;
    QVector<int> m_buttonParams;
    int m_reportRateIndex = -1;
    int m_dpiLevel = 0;
    int m_batteryLevel = 0;
    bool m_charging = false;
    QString m_batteryText;
    int m_profileCount = 0;
    int m_profileIndex = 0;
    bool m_profileEnabled = false;
    bool m_factoryView = false;
    int m_fullRefreshCount = 0;
};

#endif // BUTTONINTERFACE_H

#ifndef DIALOG_H
#define DIALOG_H

// The frame: the header (navigation pairs, language box, pairing, minimise
// and close) and the page stack with the button page (0), the device list
// (1) and the settings page (2). It follows the hub's page switches, keeps
// the header in step with the page shown, shows the parameter upload notice
// and saves the device image when the user closes the program.

#include <QPair>
#include <QString>
#include <QVector>
#include <QWidget>

class QButtonGroup;
class Buttoninterface;
class DialogChange;
class FormSetting;
class UpDataParam;
class PageBackground;

namespace Ui {
class Dialog;
}

class Dialog : public QWidget
{
    Q_OBJECT
public:
    explicit Dialog(QWidget *parent = nullptr);
    ~Dialog() override;

    Ui::Dialog *form() const { return ui; }
    // The device page and the settings page are built once the window has
    // painted, or when first needed: these build them if they are not yet.
    Buttoninterface *buttonPage()
    {
        buildDeferredPages();
        return m_buttonPage;
    }
    DialogChange *deviceListPage() const { return m_deviceListPage; }
    FormSetting *settingsPage()
    {
        buildDeferredPages();
        return m_settingsPage;
    }
    void buildDeferredPages();
    // The upload notice, built on first use.
    UpDataParam *upDataParamNotice();
    // The picture file behind the pages.
    QString backgroundPicture() const;

public slots:
    void SlotSelectStackIndex(int index);
    void SlotSecondDialog();
    void SlotJustOneDevice(bool Yes);
    void SlotMouseIndex(int index);
    void SlotChangeStyle(int index, bool istrue);
    void SlotStartRecord(int index);
    void SlotUpDataParam(int index);
    void SlotAllLanguage(int index);
    void SlotSameLanguageA(int index);
    void SlotSetLabelB();
    void SlotSetStyle(int index);
    void SlotBattery(bool IsCharg, int Number, bool IsText);
    void SlotSetLabel(QString a, QString b);
    void WindowMin();

    void on_CloseButton_clicked();
    void on_toolButton_clicked();
    void on_ButtonMain_2_clicked();
    void on_toolButton_2_clicked();
    void on_ButtonMain_3_clicked();
    void on_toolButton_3_clicked();
    void on_ButtonMain_4_clicked();
    void on_toolButton_4_clicked();
    void on_comboBox_activated(int index);
    void on_ButtonMain_2_toggled(bool checked);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Header pieces shared by the page switches.
    bool exactlyOneDevice() const;
    void showNavigation(bool shown);
    void setBackground(const QString &picture);
    void setDefaultBackground();
    QString buttonPageBackground() const;
    void toListPair();
    void toButtonPagePair();
    void toSettingsPair();
    void styleHeader();
    void holdLanguageForPages();
    void styleLanguageBox();

    Ui::Dialog *ui = nullptr;
    QButtonGroup *pageButtons = nullptr;
    Buttoninterface *m_buttonPage = nullptr;
    DialogChange *m_deviceListPage = nullptr;
    FormSetting *m_settingsPage = nullptr;
    UpDataParam *m_upDataParamNotice = nullptr;
    QString picturePath;
    PageBackground *m_background = nullptr;
    // The language signals the pages missed before they were built.
    enum HeldKind { HeldAllLanguage, HeldLanguageSameB };
    typedef QPair<HeldKind, int> HeldLanguage;
    QVector<HeldLanguage> m_heldLanguage;
    QMetaObject::Connection m_languageHolds[2];
    bool m_buildingPages = false;
};

#endif // DIALOG_H

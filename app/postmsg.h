#ifndef POSTMSG_H
#define POSTMSG_H

// The process-wide signal hub. Windows, pages, the Worker thread and the device
// callback never hold pointers to each other for notifications: senders emit a
// signal of the one hub and receivers connect their own slots to it. The
// signals are declared in a fixed order (their index in the meta-object).

#include "flashdatamap.h"

#include <QObject>
#include <QString>

class PostMsg : public QObject
{
    Q_OBJECT
public:
    static PostMsg *instance();

    // One emitting function per signal that is ever sent.
    void postChangeMainDialog(int index) { emit SigChangeMainDialog(index); }
    void postChangeSize(int index) { emit SigChangeSize(index); }
    void postUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable) { emit SigUpDataConfigUI(ToTalItem, SelectIndex, ItemEnable); }
    void postUpDataLightUIButton(FlashDataMap DataMap) { emit SigUpDataLightUIButton(DataMap); }
    void postUpDataLightLight(FlashDataMap DataMap) { emit SigUpDataLightLight(DataMap); }
    void postUpDataLightSensor(FlashDataMap DataMap) { emit SigUpDataLightSensor(DataMap); }
    void postUpDataLightUIA(FlashDataMap DataMap) { emit SigUpDataLightUIA(DataMap); }
    void postUpDataSensorUIB(FlashDataMap DataMap) { emit SigUpDataSensorUIB(DataMap); }
    void postUpDataButtonUIC(FlashDataMap DataMap) { emit SigUpDataButtonUIC(DataMap); }
    void postButtonToMacro(FlashDataMap DataMap, int KeyNumer) { emit SigButtonToMacro(DataMap, KeyNumer); }
    void postSelectMouseInfo(DeviceAllInfo SelectInfo) { emit SigSelectMouseInfo(SelectInfo); }
    void postMouseOffLineo(int index) { emit SigMouseOffLineo(index); }
    void postMainPageChange() { emit SigMainPageChange(); }
    void postSecondPageChange() { emit SigSecondPageChange(); }
    void postAddMacroButton() { emit SigAddMacroButton(); }
    void postDeleteMacroButton(QString MacroName) { emit SigDeleteMacroButton(MacroName); }
    void postMacroDownLoadData(QString MacroName, int index) { emit SigMacroDownLoadData(MacroName, index); }
    void postUpDataMacro(QString MacroName, int index) { emit SigUpDataMacro(MacroName, index); }
    void postUpDataParam(int index) { emit SigUpDataParam(index); }
    void postUpDataReportRate(int index) { emit SigUpDataReportRate(index); }
    void postUpDataDPI(int index) { emit SigUpDataDPI(index); }
    void postUpDataDPILed(FlashDataMap DataMap) { emit SigUpDataDPILed(DataMap); }
    void postTimerStop() { emit SigTimerStop(); }
    void postButtonEnable(int index) { emit SigButtonEnable(index); }
    void postLabelText(int index, QString Text) { emit SigLabelText(index, Text); }
    void postLabelTextB(QString TextA, QString Text) { emit SigLabelTextB(TextA, Text); }
    void postProgress(int index, int value) { emit SigProgress(index, value); }
    void postBattery(bool IsCharg, int Number, bool IsText) { emit SigBattery(IsCharg, Number, IsText); }
    void postAutoRepair(int index) { emit SigAutoRepair(index); }
    void postAutoRepairProgress(int index) { emit SigAutoRepairProgress(index); }
    void postLanguageSameA(int index) { emit SigLanguageSameA(index); }
    void postLanguageSameB(int index) { emit SigLanguageSameB(index); }
    void postCloseOffOnline() { emit SigCloseOffOnline(); }
    void postStartRecord(int index) { emit SigStartRecord(index); }
    void postUpDateButton(bool IsHide) { emit SigUpDateButton(IsHide); }
    void postMacroRename(QString Rename, QString Name) { emit SigMacroRename(Rename, Name); }
    void postSetver(int index) { emit SigSetver(index); }
    void postRGBValue(DongleRGB *Rgb) { emit SigRGBValue(Rgb); }
    void postLongRangeMode(bool Select) { emit SigLongRangeMode(Select); }
    void postForm() { emit SigForm(); }
    void postFormB() { emit SigFormB(); }
    void postEnterKey() { emit SigEnterKey(); }
    void postFormReset() { emit SigFormReset(); }
    void postHideModel(int index) { emit SigHideModel(index); }
    void postChangeStyle(int index, bool istrue) { emit SigChangeStyle(index, istrue); }
    void postMouseIndex(int index) { emit SigMouseIndex(index); }
    void postUpdateStart() { emit SigUpdateStart(); }
    void postCheckUpdate() { emit SigCheckUpdate(); }
    void postRepairCheckUpdate() { emit SigRepairCheckUpdate(); }
    void postSetNewVer() { emit SigSetNewVer(); }
    void postLightToFrom(int index) { emit SigLightToFrom(index); }
    void postButtonCheck() { emit SigButtonCheck(); }
    void postAllLanguage(int Index) { emit SigAllLanguage(Index); }
    void postDeleteMacro() { emit SigDeleteMacro(); }
    void postRenameMacro() { emit SigRenameMacro(); }
    void postSelectStackInde(int index) { emit SigSelectStackInde(index); }
    void postFocusIn(int index) { emit SigFocusIn(index); }
    void postFocusOut() { emit SigFocusOut(); }
    void postDeletKey() { emit SigDeletKey(); }
    void postRenameKey(int index) { emit SigRenameKey(index); }
    void postSetLabelVer(QString a, QString b) { emit SigSetLabelVer(a, b); }
    void postSetLabelVerB() { emit SigSetLabelVerB(); }
    void postGetRealVer() { emit SigGetRealVer(); }
    void postUpdateFrame(bool IsVis) { emit SigUpdateFrame(IsVis); }
    void postButtonclick() { emit SigButtonclick(); }
    void postSetStyle(int index) { emit SigSetStyle(index); }
    void postJuestOneDevice(bool Yes) { emit SigJuestOneDevice(Yes); }

signals:
    void SigChangeMainDialog(int index);   // 0
    void SigChangeSize(int index);   // 1
    void SigUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);   // 2
    void SigUpDataLightUIButton(FlashDataMap DataMap);   // 3
    void SigUpDataLightLight(FlashDataMap DataMap);   // 4
    void SigUpDataLightSensor(FlashDataMap DataMap);   // 5
    void SigUpDataLightUIA(FlashDataMap DataMap);   // 6
    void SigUpDataSensorUIB(FlashDataMap DataMap);   // 7
    void SigUpDataButtonUIC(FlashDataMap DataMap);   // 8
    void SigButtonToMacro(FlashDataMap DataMap, int KeyNumer);   // 9
    void SigSelectMouseInfo(DeviceAllInfo SelectInfo);   // 10
    void SigMouseOffLineo(int index);   // 11
    void SigMainPageChange();   // 12
    void SigSecondPageChange();   // 13
    void SigUpPageLight();   // 14
    void SigAddMacroButton();   // 15
    void SigDeleteMacroButton(QString MacroName);   // 16
    void SigMacroDownLoadData(QString MacroName, int index);   // 17
    void SigUpDataMacro(QString MacroName, int index);   // 18
    void SigUpDataParam(int index);   // 19
    void SigUpDataReportRate(int index);   // 20
    void SigUpDataDPI(int index);   // 21
    void SigUpDataDPILed(FlashDataMap DataMap);   // 22
    void SigTimerStop();   // 23
    void SigButtonEnable(int index);   // 24
    void SigLabelText(int index, QString Text);   // 25
    void SigLabelTextB(QString TextA, QString Text);   // 26
    void SigCloseUpdate();   // 27
    void SigProgress(int index, int value);   // 28
    void SigBattery(bool IsCharg, int Number, bool IsText);   // 29
    void SigAutoRepair(int index);   // 30
    void SigAutoRepairProgress(int index);   // 31
    void SigChangeLanguage(int index);   // 32
    void SigLanguageSameA(int index);   // 33
    void SigLanguageSameB(int index);   // 34
    void SigCloseOffOnline();   // 35
    void SigSetMacroPage();   // 36
    void SigStartRecord(int index);   // 37
    void SigUpDateButton(bool IsHide);   // 38
    void SigMacroRename(QString Rename, QString Name);   // 39
    void SigSetver(int index);   // 40
    void SigCloseProgress();   // 41
    void SigRGBValue(DongleRGB *Rgb);   // 42
    void SigLongRangeMode(bool Select);   // 43
    void SigForm();   // 44
    void SigFormB();   // 45
    void SigEnterKey();   // 46
    void SigFormReset();   // 47
    void SigHideModel(int index);   // 48
    void SigChangeStyle(int index, bool istrue);   // 49
    void SigContinue(int);   // 50
    void SigMouseIndex(int index);   // 51
    void SigUpdateStart();   // 52
    void SigCheckUpdate();   // 53
    void SigRepairCheckUpdate();   // 54
    void SigSetNewVer();   // 55
    void SigLightToFrom(int index);   // 56
    void SigButtonCheck();   // 57
    void SigAllLanguage(int Index);   // 58
    void SigDeleteMacro();   // 59
    void SigRenameMacro();   // 60
    void SigSelectStackInde(int index);   // 61
    void SigFocusIn(int index);   // 62
    void SigFocusOut();   // 63
    void SigDeletKey();   // 64
    void SigRenameKey(int index);   // 65
    void SigExport();   // 66
    void SigFormMove(int index);   // 67
    void SigSetLabelVer(QString a, QString b);   // 68
    void SigSetLabelVerB();   // 69
    void SigGetRealVer();   // 70
    void SigUpdateFrame(bool IsVis);   // 71
    void SigButtonclick();   // 72
    void SigSetStyle(int index);   // 73
    void SigJuestOneDevice(bool Yes);   // 74

private:
    explicit PostMsg(QObject *parent = nullptr);
};

#endif // POSTMSG_H

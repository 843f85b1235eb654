#ifndef GLOBALS_H
#define GLOBALS_H

// Program-wide state that exists before main() and lives to the end of the
// process. Device state lives in device/devicestate.h, above this floor: the
// globals here know the device only by its records (formats/flashdatamap.h).

#include "diagnostics.h"
#include "flashdatamap.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <mutex>

extern const QString g_productName;   // "Quzmar"

// ---- Diagnostics ---------------------------------------------------------
// The program's diagnostic markers are written into lcDiagnostics
// (formats/diagnostics.h, included above).

// ---- Paths -------------------------------------------------------------
// The program folder (applicationDirPath(), or the folder named by the
// environment variable QUZ_PROGRAM_DIR, unless a test points it elsewhere)
// and the per-user data folder (home + /AppData/Local/Quzmar).
QString programDir();
void setProgramDirOverride(const QString &dir);   // empty: back to the default
QString userDataDir();

// ---- Theme (the current colour set) ------------------------------------
extern QStringList g_themeLabelColor;
extern QStringList g_themeButtonColor;
extern QStringList g_themeLinEditColor;
extern QStringList g_themeSliderColor;
extern QStringList g_themeComboxTextColor;
extern QStringList g_themeComboxSelectColor;
extern QStringList g_themeComboxBackGroundColor;
extern QStringList g_themeMenuColor;
extern QStringList g_themeMenuBack;
extern QString g_themeMenuBorder;
extern QStringList g_themeMenuSelectColor;
extern QStringList g_themeMenuSelectBack;
extern QStringList g_themeButtonSpinBoxColor;
extern QString g_themeButtonSpinBoxBorder;
extern QStringList g_themeLinEditColorSecond;
extern QString g_themeListSelectColor;
extern QStringList g_themeDPIBorder;
extern QStringList g_themeDPIColor;
extern QStringList g_themeDialogLabelMain;
extern QStringList g_themeDialogLabelHover;
extern QStringList g_themeDPISpinBoxback;
extern QStringList g_themeDPISpinBoxcolor;
extern QStringList g_themeDPISpinBoxborder;
extern QStringList g_themeDPISpinBoxborderA;
extern QStringList g_themeHorizonColor;
extern int g_deviceMid;

// One theme colour: its key in a ColorSet group and the global it fills.
// Exactly one of list/text is set.
struct ThemeEntry {
    const char *key;
    QStringList *list;
    QString *text;
    const char *initial;   // "r,g,b" for lists, the colour text otherwise
};
// The 25 entries in the order the colour set is read.
const QVector<ThemeEntry> &themeEntries();
// Puts every theme global back to its start value.
void resetTheme();
// "r,g,b" of a theme list; a list with fewer than three items gives the
// global's start value (or "0,0,0" for a list that is no theme global), so
// a short or missing colour in Config.ini can never crash a style sheet.
QString themeRgbTriple(const QStringList &color);
// "rgb(r,g,b)" built from themeRgbTriple().
QString themeRgb(const QStringList &color);
// The same for a list read from Config.ini with an explicit fallback.
QString rgbTriple(const QStringList &color, const QString &fallback);

// ---- Language tables ---------------------------------------------------
typedef QVector<QVector<QString>> LanguageTextTable;

extern LanguageTextTable g_langDialogChange;
extern LanguageTextTable g_langLight;
extern LanguageTextTable g_langMacro;
extern LanguageTextTable g_langSensor;
extern LanguageTextTable g_langButtoninterface;
extern LanguageTextTable g_langProgress;
extern LanguageTextTable g_langUpDataParam;
extern LanguageTextTable g_langQuestionB;
extern LanguageTextTable g_langQuestion;
extern LanguageTextTable g_langMouseOffLine;
extern LanguageTextTable g_langMatch;
extern LanguageTextTable g_langAutoRepair;
extern LanguageTextTable g_langSameMacro;
extern LanguageTextTable g_langRePair;
extern LanguageTextTable g_langMakeMacro;
extern LanguageTextTable g_langButtonOnly;
extern LanguageTextTable g_langLimit;
extern LanguageTextTable g_langMaxThree;
extern LanguageTextTable g_langGroupKey;
extern LanguageTextTable g_langFireKey;
extern LanguageTextTable g_langDeleteConfirm;
extern LanguageTextTable g_langExeIsRun;
extern LanguageTextTable g_langContainReset;
extern LanguageTextTable g_langAddKey;
extern LanguageTextTable g_langAddDelayTime;
extern LanguageTextTable g_langDialogMain;
extern LanguageTextTable g_langFormSetting;
extern LanguageTextTable g_langInportFail;
extern LanguageTextTable g_langNewVer;
extern LanguageTextTable g_langLessThree;
extern LanguageTextTable g_langScreenInfo;
extern LanguageTextTable g_langCompanyInfo;

// Texts appended to a page for a widget whose captions had no position of
// their own: the lighting page's title and six modes ("Light"), the level
// count caption of the eight-slider DPI page ("Sensor"), the screen dialogs'
// five texts and the lighting editor's title and six modes ("ScreenInfo").
constexpr int kLightTitleText = 30;
constexpr int kLightModeTexts = 31;
constexpr int kSensorDpiLevelsText = 38;
constexpr int kScreenDialogTexts = 21;
constexpr int kScreenModeTitleText = 26;
constexpr int kScreenModeTexts = 27;

extern int g_language;

// Text `position` of `language` in a page table. A language the table does
// not hold falls back to language 0, a position past the page's texts to an
// empty text: a short file or a stale language index never crashes a window.
QString langText(const LanguageTextTable &table, int language, int position);
// The same with the current language.
QString langText(const LanguageTextTable &table, int position);

// The translated names of the five mouse buttons are the key tables'
// (g_mouseButtonName*, formats/keytables.h).

// ---- Settings stores ---------------------------------------------------
// Standard mutexes: they are used from the device library's threads too, and
// unlike QMutex their hand-over is visible to the thread sanitizer.
extern std::mutex g_configSettingsMutex;
extern std::mutex g_macroSettingsMutex;

// ---- Keyboard hooks ----------------------------------------------------
typedef std::function<void(int keyCode, bool downOrUp, bool aotu)> KeyHookCallback;
extern void *g_keyHookHandle;
extern void *g_addKeyHookHandle;
extern void *g_groupKeyHookHandle;
extern KeyHookCallback g_keyHookCallback;
extern KeyHookCallback g_addKeyHookCallback;
extern KeyHookCallback g_groupKeyHookCallback;

// ---- Device list page ----------------------------------------------------
extern QString g_dialogChangePictureDir;
extern QString g_connectDeviceText;
extern QString g_offlineTipsText;
extern QString g_offlineTooltipHead;
extern QString g_offlineTooltipTail;
extern QString g_mouseIsNewTipsText;
// Option/DeviceTotal as read by the page: the index of an unrecognised
// device.
extern int g_deviceTotal;
// What the page shows (the devices found and shown, and the product ids it
// searched by) is the device core's: device/deviceenumeration.h. The page
// and its card widgets: windows/devicelistcards.h.

// ---- Pairing dialog ----------------------------------------------------
extern QString g_matchLabelColor;
extern QString g_matchPictureDir;

// ---- Button page and DPI page --------------------------------------------
// The sensor of the chosen device (g_sensorName) and the DPI range tables
// that go with it are in formats/sensorcodes.h.
extern QVector<QString> g_dpiValueTexts;
extern QVector<int> g_dpiTableA;
extern QVector<int> g_dpiTableB;
extern QVector<int> g_dpiTableC;
extern QString g_dpiLevelColorText1, g_dpiLevelColorText2, g_dpiLevelColorText3;
extern QString g_dpiLevelColorText4, g_dpiLevelColorText5, g_dpiLevelColorText6;

// ---- Settings page and update dialogs ------------------------------------
extern QString g_updateWarningText;
extern QString g_settingsVersionTextA;
extern QString g_settingsVersionTextB;
extern QString g_settingsUpdateText1, g_settingsUpdateText2, g_settingsUpdateText3;
extern QString g_settingsUpdateText4, g_settingsUpdateText5;
extern QStringList g_firmwareFiles;
extern QString g_newFirmwareFile;
extern QVector<QString> g_settingsVector;
extern QString g_upgradeText;
extern QStringList g_upgradeTextList;
extern QStringList g_upgradeList;
extern QVector<QString> g_upgradeVector;
extern int g_upgradeStateA;
extern int g_upgradeStateB;
extern int g_settingsUpdateState;
extern u8 g_firmwareUpdating;
extern u8 g_repairUpdating;
extern int g_offlineNoticeReason;
extern u8 g_pairWithStoredDevice;

// ---- Device screen dialog ------------------------------------------------
extern QStringList g_inputPicTexts;

#endif // GLOBALS_H

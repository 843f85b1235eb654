#include "globals.h"

#include "pointersettings.h"
#include "programservices.h"
#include "registry.h"

#include <QCoreApplication>
#include <QDir>

const QString g_productName = QStringLiteral("Quzmar");

// ---- Paths -------------------------------------------------------------
namespace {
QString &programDirOverride()
{
    static QString dir;
    return dir;
}
} // namespace

QString programDir()
{
    if (!programDirOverride().isEmpty())
        return programDirOverride();
    // Executables built outside the program folder (the tests) are told
    // where it is.
    const QString named = qEnvironmentVariable("QUZ_PROGRAM_DIR");
    if (!named.isEmpty())
        return named;
    return QCoreApplication::applicationDirPath();
}

void setProgramDirOverride(const QString &dir)
{
    programDirOverride() = dir;
}

QString userDataDir()
{
    return QDir::homePath() + "/AppData/Local/" + g_productName;
}

// The stand-ins of platform/ know nothing of the program: they learn its
// name and its data folder as the application object is made, in the
// program, the tests and the tools alike, before anything reads them.
namespace {
void introduceProgramToPlatform()
{
    RegistryKey::setProgramName(g_productName);
    setPointerSettingsDataDir(userDataDir());
}
} // namespace
Q_COREAPP_STARTUP_FUNCTION(introduceProgramToPlatform)

// ---- Theme -------------------------------------------------------------
namespace {
const QStringList kBlack = {"0", "0", "0"};
const QStringList kWhite = {"255", "255", "255"};
const QStringList kOnes = {"1", "1", "1"};
} // namespace

QStringList g_themeLabelColor = kBlack;
QStringList g_themeButtonColor = kWhite;
QStringList g_themeLinEditColor = kWhite;
QStringList g_themeSliderColor = kWhite;
QStringList g_themeComboxTextColor = kWhite;
QStringList g_themeComboxSelectColor = kWhite;
QStringList g_themeComboxBackGroundColor = kWhite;
QStringList g_themeMenuColor = kWhite;
QStringList g_themeMenuBack = kOnes;
QString g_themeMenuBorder = QStringLiteral("#000000");
QStringList g_themeMenuSelectColor = kWhite;
QStringList g_themeMenuSelectBack = kWhite;
QStringList g_themeButtonSpinBoxColor = kWhite;
QString g_themeButtonSpinBoxBorder = QStringLiteral("#000000");
QStringList g_themeLinEditColorSecond = kWhite;
QString g_themeListSelectColor = QStringLiteral("#000000");
QStringList g_themeDPIBorder = kWhite;
QStringList g_themeDPIColor = kWhite;
QStringList g_themeDialogLabelMain = kWhite;
QStringList g_themeDialogLabelHover = kWhite;
QStringList g_themeDPISpinBoxback = kWhite;
QStringList g_themeDPISpinBoxcolor = kWhite;
QStringList g_themeDPISpinBoxborder = kWhite;
QStringList g_themeDPISpinBoxborderA = kWhite;
QStringList g_themeHorizonColor = kWhite;
int g_deviceMid = 1;

const QVector<ThemeEntry> &themeEntries()
{
    static const QVector<ThemeEntry> entries = {
        {"LabelColor", &g_themeLabelColor, nullptr, "0,0,0"},
        {"ButtonColor", &g_themeButtonColor, nullptr, "255,255,255"},
        {"LinEditColor", &g_themeLinEditColor, nullptr, "255,255,255"},
        {"SliderColor", &g_themeSliderColor, nullptr, "255,255,255"},
        {"ComboxTextColor", &g_themeComboxTextColor, nullptr, "255,255,255"},
        {"ComboxSelectColor", &g_themeComboxSelectColor, nullptr, "255,255,255"},
        {"ComboxBackGroundColor", &g_themeComboxBackGroundColor, nullptr, "255,255,255"},
        {"MenuColor", &g_themeMenuColor, nullptr, "255,255,255"},
        {"MenuBack", &g_themeMenuBack, nullptr, "1,1,1"},
        {"MenuBorder", nullptr, &g_themeMenuBorder, "#000000"},
        {"MenuSelectColor", &g_themeMenuSelectColor, nullptr, "255,255,255"},
        {"MenuSelectBack", &g_themeMenuSelectBack, nullptr, "255,255,255"},
        {"ButtonSpinBoxColor", &g_themeButtonSpinBoxColor, nullptr, "255,255,255"},
        {"ButtonSpinBoxBorder", nullptr, &g_themeButtonSpinBoxBorder, "#000000"},
        {"LinEditColorSecond", &g_themeLinEditColorSecond, nullptr, "255,255,255"},
        {"ListSelectColor", nullptr, &g_themeListSelectColor, "#000000"},
        {"DPIBorder", &g_themeDPIBorder, nullptr, "255,255,255"},
        {"DPIColor", &g_themeDPIColor, nullptr, "255,255,255"},
        {"DialogLabelMain", &g_themeDialogLabelMain, nullptr, "255,255,255"},
        {"DialogLabelHover", &g_themeDialogLabelHover, nullptr, "255,255,255"},
        {"DPISpinBoxback", &g_themeDPISpinBoxback, nullptr, "255,255,255"},
        {"DPISpinBoxcolor", &g_themeDPISpinBoxcolor, nullptr, "255,255,255"},
        {"DPISpinBoxborder", &g_themeDPISpinBoxborder, nullptr, "255,255,255"},
        {"DPISpinBoxborderA", &g_themeDPISpinBoxborderA, nullptr, "255,255,255"},
        {"HorizonColor", &g_themeHorizonColor, nullptr, "255,255,255"},
    };
    return entries;
}

void resetTheme()
{
    for (const ThemeEntry &e : themeEntries()) {
        if (e.list)
            *e.list = QString::fromLatin1(e.initial).split(',');
        else
            *e.text = QString::fromLatin1(e.initial);
    }
    g_deviceMid = 1;
}

QString rgbTriple(const QStringList &color, const QString &fallback)
{
    if (color.size() < 3)
        return fallback;
    return color.at(0).trimmed() + "," + color.at(1).trimmed() + "," + color.at(2).trimmed();
}

QString themeRgbTriple(const QStringList &color)
{
    QString fallback = QStringLiteral("0,0,0");
    for (const ThemeEntry &e : themeEntries()) {
        if (e.list == &color) {
            fallback = QString::fromLatin1(e.initial);
            break;
        }
    }
    return rgbTriple(color, fallback);
}

QString themeRgb(const QStringList &color)
{
    return "rgb(" + themeRgbTriple(color) + ")";
}

// ---- Language tables ---------------------------------------------------
LanguageTextTable g_langDialogChange;
LanguageTextTable g_langLight;
LanguageTextTable g_langMacro;
LanguageTextTable g_langSensor;
LanguageTextTable g_langButtoninterface;
LanguageTextTable g_langProgress;
LanguageTextTable g_langUpDataParam;
LanguageTextTable g_langQuestionB;
LanguageTextTable g_langQuestion;
LanguageTextTable g_langMouseOffLine;
LanguageTextTable g_langMatch;
LanguageTextTable g_langAutoRepair;
LanguageTextTable g_langSameMacro;
LanguageTextTable g_langRePair;
LanguageTextTable g_langMakeMacro;
LanguageTextTable g_langButtonOnly;
LanguageTextTable g_langLimit;
LanguageTextTable g_langMaxThree;
LanguageTextTable g_langGroupKey;
LanguageTextTable g_langFireKey;
LanguageTextTable g_langDeleteConfirm;
LanguageTextTable g_langExeIsRun;
LanguageTextTable g_langContainReset;
LanguageTextTable g_langAddKey;
LanguageTextTable g_langAddDelayTime;
LanguageTextTable g_langDialogMain;
LanguageTextTable g_langFormSetting;
LanguageTextTable g_langInportFail;
LanguageTextTable g_langNewVer;
LanguageTextTable g_langLessThree;
LanguageTextTable g_langScreenInfo;
LanguageTextTable g_langCompanyInfo;

int g_language = 0;

QString langText(const LanguageTextTable &table, int language, int position)
{
    if (table.isEmpty() || position < 0)
        return QString();
    if (language < 0 || language >= table.size())
        language = 0;
    const QVector<QString> &entry = table.at(language);
    if (position < entry.size())
        return entry.at(position);
    if (language != 0 && position < table.at(0).size())
        return table.at(0).at(position);
    return QString();
}

QString langText(const LanguageTextTable &table, int position)
{
    return langText(table, g_language, position);
}

// ---- What the formats take of the program -----------------------------------
namespace {
// The button page's texts 4 to 8 (left, right, middle, forward, back) in
// every loaded language.
QVector<MouseButtonNames> mouseButtonNamesByLanguage()
{
    QVector<MouseButtonNames> names;
    for (int language = 0; language < g_langButtoninterface.size(); ++language) {
        const auto text = [language](int position) { return langText(g_langButtoninterface, language, position); };
        names.append({text(4), text(5), text(6), text(8), text(7)});
    }
    return names;
}

void handDownProgramServices()
{
    ProgramServices::Calls calls;
    calls.programDir = &programDir;
    calls.userDataDir = &userDataDir;
    calls.mouseButtonNamesByLanguage = &mouseButtonNamesByLanguage;
    ProgramServices::handDown(calls);
}
} // namespace
// Before main() runs, so no format is ever used without them.
Q_CONSTRUCTOR_FUNCTION(handDownProgramServices)

// ---- Settings stores ---------------------------------------------------
std::mutex g_configSettingsMutex;
std::mutex g_macroSettingsMutex;

// ---- Keyboard hooks ----------------------------------------------------
void *g_keyHookHandle = nullptr;
void *g_addKeyHookHandle = nullptr;
void *g_groupKeyHookHandle = nullptr;
KeyHookCallback g_keyHookCallback;
KeyHookCallback g_addKeyHookCallback;
KeyHookCallback g_groupKeyHookCallback;

// ---- Device list page ----------------------------------------------------
QString g_dialogChangePictureDir;
QString g_connectDeviceText;
QString g_offlineTipsText;
QString g_offlineTooltipHead;
QString g_offlineTooltipTail;
QString g_mouseIsNewTipsText;

// Device list page, continued.
int g_deviceTotal = 0;

// ---- Pairing dialog ----------------------------------------------------
QString g_matchLabelColor;
QString g_matchPictureDir;

// ---- Button page and DPI page --------------------------------------------
QVector<QString> g_dpiValueTexts;
QVector<int> g_dpiTableA;
QVector<int> g_dpiTableB;
QVector<int> g_dpiTableC;
QString g_dpiLevelColorText1, g_dpiLevelColorText2, g_dpiLevelColorText3;
QString g_dpiLevelColorText4, g_dpiLevelColorText5, g_dpiLevelColorText6;

// ---- Settings page and update dialogs ------------------------------------
QString g_updateWarningText;
QString g_settingsVersionTextA;
QString g_settingsVersionTextB;
QString g_settingsUpdateText1, g_settingsUpdateText2, g_settingsUpdateText3;
QString g_settingsUpdateText4, g_settingsUpdateText5;
QStringList g_firmwareFiles;
QString g_newFirmwareFile;
QVector<QString> g_settingsVector;
QString g_upgradeText;
QStringList g_upgradeTextList;
QStringList g_upgradeList;
QVector<QString> g_upgradeVector;
int g_upgradeStateA = 1;
int g_upgradeStateB = 1;
int g_settingsUpdateState = 1;
u8 g_firmwareUpdating = 0;
u8 g_repairUpdating = 0;
int g_offlineNoticeReason = 0;
u8 g_pairWithStoredDevice = 0;

// ---- Device screen dialog ------------------------------------------------
QStringList g_inputPicTexts;

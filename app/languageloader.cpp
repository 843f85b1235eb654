#include "languageloader.h"

#include "macrosettings.h"
#include "postmsg.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QLibraryInfo>
#include <QObject>
#include <QPointer>
#include <QTranslator>

#include <algorithm>
#include <climits>

namespace {

const char *const kLanguageFiles[kLanguageFileCount] = {
    "/Language/0-English.xml",     "/Language/1-China.xml",
    "/Language/2-Filipino.xml",    "/Language/3-French.xml",
    "/Language/4-German.xml",      "/Language/5-Hindu.xml",
    "/Language/6-Indonesian.xml",  "/Language/7-Arabic.xml",
    "/Language/8-Italian.xml",     "/Language/9-Japanese.xml",
    "/Language/10-Korean.xml",     "/Language/11-Malaysian.xml",
    "/Language/12-Polish.xml",     "/Language/13-Portuguese.xml",
    "/Language/14-Russian.xml",    "/Language/15-Spanish.xml",
    "/Language/16-Swedish.xml",    "/Language/17-Thai.xml",
    "/Language/18-Turkish.xml",    "/Language/19-Vietnamese.xml",
};

// The toolkit's catalogue of each language the program speaks, by language
// index; English needs none.
const char *const kToolkitLocales[] = {nullptr, "zh_CN"};

QPointer<QTranslator> &toolkitTranslator()
{
    static QPointer<QTranslator> translator;
    return translator;
}

// Holds back the LanguageChange that installing or removing a catalogue
// sends the application, which would hand it on to every window. The
// windows take their texts from the language files on SigAllLanguage, and
// the forms' own LanguageChange handling would put their design texts back
// over them. The toolkit's dialogs and menus read the catalogue when they
// are built, so nothing open needs the event.
class LanguageChangeHold : public QObject
{
public:
    LanguageChangeHold() { QCoreApplication::instance()->installEventFilter(this); }
    ~LanguageChangeHold() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        return watched == QCoreApplication::instance() && event->type() == QEvent::LanguageChange;
    }
};

// Appends "<prefix><first>" .. "<prefix><last>" to a key list.
QStringList numbered(const QString &prefix, int first, int last)
{
    QStringList keys;
    for (int i = first; i <= last; ++i)
        keys << prefix + QString::number(i);
    return keys;
}

QVector<LanguagePage> buildPages()
{
    const QStringList sleepTimes = QStringList{"StopCloseTime"} + numbered("StopCloseTime", 1, 10);
    QVector<LanguagePage> pages;
    pages.append({"DialogChange",
                  {"label_2", "label_3", "OfflineTips1", "OfflineTips2", "RepairDevice", "label",
                   "NewHong", "NoApear", "MouseIsNewTips", "Tips1", "Tips2", "Tips3", "Tips4"},
                  &g_langDialogChange});
    pages.append({"Light",
                  QStringList{"label", "LightMod"} + numbered("LightMod", 1, 6)
                      + QStringList{"label_2", "label_3", "label_4", "label_5"} + sleepTimes
                      + QStringList{"label_6", "label_8", "label_13", "label_11", "label_10",
                                    "label_12", "Tips20K", "LampTitle"}
                      + numbered("LampMode", 0, 5),
                  &g_langLight});
    pages.append({"Macro",
                  QStringList{"label", "label_2", "NewHong", "DeleteHong", "Amend", "DeleteKey",
                              "StartRecord", "StopRecord", "AutoInsertDelay", "DefaultDelay",
                              "ReUntilLoose", "ReUntilClick", "ReUntil", "ReNumber", "label_3",
                              "ChooseEvent1", "ChooseEvent2", "ChooseEvent3", "Save", "MacroReal"}
                      + numbered("Key", 1, 9)
                      + QStringList{"NameUnusable", "EventLimit", "ImportFail"},
                  &g_langMacro});
    pages.append({"Sensor",
                  QStringList{"label_2", "label_3", "label_5", "label_11", "label_12",
                              "Performance", "label", "label_6", "label_7", "PerformanceOpen"}
                      + numbered("PerformanceOpen", 1, 5)
                      + QStringList{"label_4", "Model", "Model1", "Model2", "label_14", "label_15",
                                    "ModeSelectDes", "LODDes", "FullPerformanceDes",
                                    "MotionSyncDes", "FixLineDes", "RippleDes", "SensorA",
                                    "SensorB", "SensorC", "SensorD", "SensorE", "SensorF",
                                    "SensorG", "SensorH", "SensorI", "SensorJ", "SensorK",
                                    "DPILevels"},
                  &g_langSensor});
    // The button page reads "VolumeDown_8" (home page) at position 51, so the
    // page has no "S1" key.
    pages.append({"Buttoninterface",
                  {"label_2",       "Reset",         "ImportData",    "OutputData",
                   "FireKey",       "RightKey",      "BackKey",       "StartPause",
                   "TopMusic",      "BackMusic",     "DPI_2",         "DPI_3",
                   "DPI_6",         "DPI_8",         "DPI_5",         "DPI_13",
                   "DPI_11",        "DPI_10",        "DPI_9",         "DPI_7",
                   "DPI_12",        "DPI_4",         "Player",        "StartPause_2",
                   "BackMusic_2",   "TopMusic_2",    "Mute",          "VolumeUp",
                   "VolumeDown",    "VolumeDown_4",  "VolumeDown_5",  "VolumeDown_6",
                   "VolumeDown_3",  "VolumeDown_9",  "VolumeDown_7",  "VolumeDown_10",
                   "VolumeDown_12", "VolumeDown_13", "VolumeDown_11", "VolumeUp_4",
                   "VolumeUp_5",    "VolumeUp_6",    "VolumeUp_7",    "checkBox",
                   "VolumeUp_2",    "VolumeDown_2",  "VolumeUp_8",    "VolumeUp_14",
                   "VolumeDown_14", "Macro_",        "Config",        "VolumeDown_8"},
                  &g_langButtoninterface});
    pages.append({"Progress",
                  {"UpdateNotMove", "UpDateSuccess", "UpDateFail", "FailReceiver", "FailMouse",
                   "UnchangedReceiver", "UnchangedMouse", "WrongReceiver", "WrongMouse", "SeveralReceiver",
                   "SeveralMouse", "AbsentReceiver", "AbsentMouse", "SilentReceiver", "SilentMouse"},
                  &g_langProgress});
    pages.append({"UpDataParam", {"label", "label_1"}, &g_langUpDataParam});
    pages.append({"QuestionB", {"label"}, &g_langQuestionB});
    pages.append({"Question", {"label", "label_2", "NewHong", "NewHong_2"}, &g_langQuestion});
    pages.append({"MouseOffLine", {"label", "Timeout"}, &g_langMouseOffLine});
    pages.append({"Match",
                  {"label", "textEdit", "MatchButton", "Matching", "MatchFail", "MatchSuccess"},
                  &g_langMatch});
    pages.append({"AutoRepair",
                  {"ToolText", "Cancel", "NoDevice", "SameDevice", "NewHong_2", "NoRecieve",
                   "NoUSB", "Error", "FileError", "Error2", "MultiMouse", "MultiDongle",
                   "ReadyUpdate", "StillWriting", "ForeignMouse", "MouseOffCable", "NoReceiverImage",
                   "NoMouseImage", "NoAnswer"},
                  &g_langAutoRepair});
    pages.append({"SameMacro", {"label"}, &g_langSameMacro});
    pages.append({"RePair", {"label"}, &g_langRePair});
    pages.append({"MakeMacro", {"label"}, &g_langMakeMacro});
    pages.append({"ButtonOnly", {"label", "label2"}, &g_langButtonOnly});
    pages.append({"Limit", {"label"}, &g_langLimit});
    pages.append({"MaxThree", {"label"}, &g_langMaxThree});
    pages.append({"groupKey", {"label"}, &g_langGroupKey});
    pages.append({"FireKey", {"label", "label_2", "label_3"}, &g_langFireKey});
    pages.append({"DeleteConfirm", {"label"}, &g_langDeleteConfirm});
    pages.append({"EXEIsRun", {"label", "label_2", "NewHong", "PleaseStop"}, &g_langExeIsRun});
    pages.append({"ContainReset", {"label"}, &g_langContainReset});
    pages.append({"AddKey", {"label"}, &g_langAddKey});
    pages.append({"AddDelayTime", {"label"}, &g_langAddDelayTime});
    pages.append({"DialogMain", {"MainForm", "Exit"}, &g_langDialogMain});
    pages.append({"FormSetting",
                  QStringList{"label", "label_2", "label_3", "label_4", "label_6", "label_8",
                              "pushButton_2", "Receive", "Mouse", "label_9", "label_10",
                              "pushButton", "label_11", "textEdit", "WiredMode", "NoDevice",
                              "NewLabel", "SameDevice", "VerNew", "label_14", "textEdit_2",
                              "textEdit_3", "textEdit_4", "NoRecieve", "NoUSB", "Error",
                              "MultiMouse", "MultiDongle"}
                      + sleepTimes
                      + QStringList{"label_12", "label_13", "RecieveInfo", "ScreenInfo",
                                    "LihghtMode"}
                      + numbered("Form", 1, 18),
                  &g_langFormSetting});
    pages.append({"InportFail", {"label", "label_1", "label_2"}, &g_langInportFail});
    pages.append({"NewVer", {"label", "NoApear"}, &g_langNewVer});
    pages.append({"LessThree", {"label"}, &g_langLessThree});
    pages.append({"ScreenInfo",
                  QStringList{"label", "label_2", "label_3", "Input", "Output", "Light", "LightMod"}
                      + numbered("LightMod", 1, 6)
                      + QStringList{"Bri", "Speed", "ColorPre", "LightColor", "SetColor", "R", "G",
                                    "B", "ScreenOff", "PicturePreview", "ScreenBrightness",
                                    "PictureImport", "PictureExport", "ModeTitle"}
                      + numbered("Mode", 0, 5),
                  &g_langScreenInfo});
    // Net.xml: the maker's name and web addresses.
    pages.append({"English", {"CompanyName", "CompanyNameCn", "CompanyWebcn", "CompanyWeben"},
                  &g_langCompanyInfo});
    return pages;
}

} // namespace

const QVector<LanguagePage> &languagePages()
{
    static const QVector<LanguagePage> pages = buildPages();
    return pages;
}

QString LanguageLoader::languageFilePath(int index)
{
    if (index < 0 || index >= kLanguageFileCount)
        return QString();
    return programDir() + QLatin1String(kLanguageFiles[index]);
}

QString LanguageLoader::netFilePath()
{
    return programDir() + QStringLiteral("/Language/Net.xml");
}

void LanguageLoader::LanguageTextLoader()
{
    for (int i = 0; i <= kLanguageFileCount; ++i) {
        const bool net = i == kLanguageFileCount;
        const QString path = net ? netFilePath() : languageFilePath(i);
        QFile file(path);
        // A missing file ends the load: later languages and Net.xml stay
        // unread, so the language index keeps matching the file number.
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return;
        m_reader.setDevice(&file);
        loadFile(net ? QStringLiteral("Profile") : QStringLiteral("Total"));
        m_reader.setDevice(nullptr);
        file.close();
    }
}

void LanguageLoader::loadFile(const QString &rootName)
{
    m_reader.readNext();
    while (!m_reader.atEnd()) {
        if (m_reader.tokenType() == QXmlStreamReader::EndDocument)
            break;
        if (m_reader.isStartElement()) {
            if (m_reader.name() == rootName) {
                loadLanguagePage();
            } else {
                m_reader.raiseError(QObject::tr("Not a labels file"));
            }
        } else {
            m_reader.readNext();
        }
    }
}

void LanguageLoader::loadLanguagePage()
{
    m_reader.readNext();
    const QVector<LanguagePage> &pages = languagePages();
    while (!m_reader.atEnd()) {
        if (m_reader.isEndElement()) {
            // The root's end.
            m_reader.readNext();
            return;
        }
        if (m_reader.isStartElement()) {
            const QStringRef name = m_reader.name();
            auto page = std::find_if(pages.cbegin(), pages.cend(),
                                     [&name](const LanguagePage &p) { return name == p.name; });
            if (page != pages.cend())
                parsePage(*page);
            else
                skipElement();
        } else {
            m_reader.readNext();
        }
    }
}

// One parser for every page: texts are kept in file order, whatever key
// they came from; each terminator key appends everything read so far in
// this page element as one entry.
void LanguageLoader::parsePage(const LanguagePage &page)
{
    QVector<QString> texts;
    const QString &terminator = page.keys.constLast();
    m_reader.readNext();
    while (!m_reader.atEnd()) {
        if (m_reader.isEndElement()) {
            // The page's end.
            m_reader.readNext();
            return;
        }
        if (m_reader.isStartElement()) {
            const QString key = m_reader.name().toString();
            if (page.keys.contains(key)) {
                const QString text =
                    m_reader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
                // A key holding an element stops the file; its half-read
                // text must not complete an entry.
                if (m_reader.hasError())
                    return;
                texts.append(text);
                if (key == terminator)
                    page.table->append(texts);
                if (m_reader.isEndElement())
                    m_reader.readNext();
            } else {
                skipElement();
            }
        } else {
            m_reader.readNext();
        }
    }
}

void LanguageLoader::skipElement()
{
    m_reader.readNext();
    while (!m_reader.atEnd()) {
        if (m_reader.isEndElement()) {
            m_reader.readNext();
            return;
        }
        if (m_reader.isStartElement())
            skipElement();
        else
            m_reader.readNext();
    }
}

void clearLanguageTables()
{
    for (const LanguagePage &page : languagePages())
        page.table->clear();
}

int loadedLanguageCount()
{
    int count = INT_MAX;
    for (const LanguagePage &page : languagePages()) {
        if (page.table == &g_langCompanyInfo)
            continue;
        count = std::min(count, int(page.table->size()));
    }
    return count == INT_MAX ? 0 : count;
}

int clampLanguageIndex(int index)
{
    if (index < 0 || index >= loadedLanguageCount())
        return 0;
    return index;
}

void clampCurrentLanguage()
{
    g_language = clampLanguageIndex(g_language);
}

void useToolkitLanguage(int index)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    const int count = int(sizeof kToolkitLocales / sizeof *kToolkitLocales);
    const char *locale = index >= 0 && index < count ? kToolkitLocales[index] : nullptr;
    QPointer<QTranslator> &current = toolkitTranslator();
    if (current && locale && current->language() == QLatin1String(locale))
        return;
    QTranslator *next = nullptr;
    if (locale) {
        next = new QTranslator(app);
        if (!next->load(QStringLiteral("qtbase_") + QLatin1String(locale),
                        QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
            delete next;
            next = nullptr;
        }
    }
    if (!current && !next)
        return;
    const LanguageChangeHold hold;
    if (current) {
        QCoreApplication::removeTranslator(current);
        delete current;
    }
    if (next)
        QCoreApplication::installTranslator(next);
    current = next;
}

void switchLanguage(int index)
{
    MacroSettings::instance()->writeString("Language", "Language", QString::number(index));
    g_language = index;
    useToolkitLanguage(index);
    PostMsg::instance()->postAllLanguage(index);
}

// The language files and the page text tables filled from them.
#include "globals.h"
#include "languageloader.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(QUZ_SOURCE_DIR) + "/tests/data/language/" + name;
}

QString shippedDir()
{
    return builtProgramDir() + "/Language";
}

// Texts each page must hold per language, as the windows read them.
const QMap<QString, int> &expectedCounts()
{
    static const QMap<QString, int> counts = {
        {"DialogChange", 13}, {"Light", 37},       {"Macro", 32},         {"Sensor", 39},
        {"Buttoninterface", 52}, {"Progress", 15},  {"UpDataParam", 2},    {"QuestionB", 1},
        {"Question", 4},      {"MouseOffLine", 2}, {"Match", 6},          {"AutoRepair", 19},
        {"SameMacro", 1},     {"RePair", 1},       {"MakeMacro", 1},      {"ButtonOnly", 2},
        {"Limit", 1},         {"MaxThree", 1},     {"groupKey", 1},       {"FireKey", 3},
        {"DeleteConfirm", 1}, {"EXEIsRun", 4},     {"ContainReset", 1},   {"AddKey", 1},
        {"AddDelayTime", 1},  {"DialogMain", 2},   {"FormSetting", 62},   {"InportFail", 3},
        {"NewVer", 2},        {"LessThree", 1},    {"ScreenInfo", 33},    {"English", 4},
    };
    return counts;
}

// For every page of a language file, the key names in file order.
QMap<QString, QStringList> keysInFile(const QString &path, QString *rootName)
{
    QMap<QString, QStringList> pages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return pages;
    QXmlStreamReader xml(&file);
    int depth = 0;
    QString page;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            if (depth == 1)
                *rootName = xml.name().toString();
            else if (depth == 2) {
                page = xml.name().toString();
                // A page listed twice would show up as a doubled key list.
                pages[page];
            } else if (depth == 3)
                pages[page] << xml.name().toString();
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    if (xml.hasError())
        rootName->clear();
    return pages;
}

} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT
private:
    QScopedPointer<QTemporaryDir> m_dir;

    // Lays out a program folder whose Language folder holds the given
    // fixtures under the given file names.
    void layOut(const QList<QPair<QString, QString>> &files)
    {
        QVERIFY(QDir(m_dir->path()).mkpath("Language"));
        for (const auto &f : files)
            QVERIFY2(QFile::copy(f.first, m_dir->path() + "/Language/" + f.second),
                     qPrintable(f.first));
        setProgramDirOverride(m_dir->path());
    }

    static void load()
    {
        LanguageLoader loader;
        loader.LanguageTextLoader();
    }

private slots:
    void init()
    {
        resetAllGlobals();
        clearLanguageTables();
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
    }
    void cleanup()
    {
        clearLanguageTables();
        setProgramDirOverride(QString());
    }

    // ---- Loading rules -------------------------------------------------

    void filesGiveEntriesInFileOrder()
    {
        layOut({{fixture("lang-a.xml"), "0-English.xml"},
                {fixture("lang-b.xml"), "1-China.xml"},
                {fixture("net.xml"), "Net.xml"}});
        load();
        QCOMPARE(g_langSameMacro.size(), 2);
        QCOMPARE(g_langSameMacro[0], QVector<QString>{"A same"});
        QCOMPARE(g_langSameMacro[1], QVector<QString>{"B same"});
        QCOMPARE(g_langDialogMain[1], (QVector<QString>{"B show", "B exit"}));
        // Pages no file lists stay empty.
        QVERIFY(g_langLight.isEmpty());
        QVERIFY(g_langButtoninterface.isEmpty());
        // "2-Filipino.xml" is missing, so the load ended before Net.xml.
        QVERIFY(g_langCompanyInfo.isEmpty());
    }

    void twentyLanguagesThenNetFillTheMakerPage()
    {
        QList<QPair<QString, QString>> files;
        for (int i = 0; i < kLanguageFileCount; ++i)
            files.append({fixture(i % 2 ? "lang-b.xml" : "lang-a.xml"),
                          QFileInfo(LanguageLoader::languageFilePath(i)).fileName()});
        files.append({fixture("net.xml"), "Net.xml"});
        layOut(files);
        load();
        QCOMPARE(g_langSameMacro.size(), 20);
        QCOMPARE(g_langSameMacro[19][0], QString("B same"));
        QCOMPARE(g_langMatch.size(), 20);
        QCOMPARE(g_langCompanyInfo.size(), 1);
        QCOMPARE(g_langCompanyInfo[0],
                 (QVector<QString>{"Maker", "Maker CN", "https://cn.maker.example",
                                   "https://www.maker.example"}));
    }

    void missingFileEndsTheLoad()
    {
        layOut({{fixture("lang-a.xml"), "0-English.xml"},
                {fixture("lang-b.xml"), "2-Filipino.xml"}});
        load();
        QCOMPARE(g_langSameMacro.size(), 1);
        QCOMPARE(g_langSameMacro[0][0], QString("A same"));
    }

    void skippedElementsTakeNoPositionAndTextsKeepFileOrder()
    {
        layOut({{fixture("lang-a.xml"), "0-English.xml"},
                {fixture("lang-b.xml"), "1-China.xml"}});
        load();
        // "label_2" inside Match and the whole "Bogus" page are skipped.
        QCOMPARE(g_langMatch.size(), 2);
        QCOMPARE(g_langMatch[0], (QVector<QString>{"A title", "A steps", "A start", "A busy",
                                                   "A fail", "A done"}));
        QCOMPARE(g_langDialogMain[0], (QVector<QString>{"A show", "A exit"}));
        // Keys out of order are stored as they stand; an empty key keeps
        // its place.
        QCOMPARE(g_langQuestion.size(), 1);
        QCOMPARE(g_langQuestion[0],
                 (QVector<QString>{"B rename", "B name", QString(), "B cancel"}));
    }

    void repeatedTerminatorAndPageAppendFurtherEntries()
    {
        layOut({{fixture("repeated.xml"), "0-English.xml"}});
        load();
        QCOMPARE(g_langSameMacro.size(), 2);
        QCOMPARE(g_langSameMacro[0], QVector<QString>{"first"});
        QCOMPARE(g_langSameMacro[1], (QVector<QString>{"first", "second"}));
        QCOMPARE(g_langDialogMain.size(), 2);
        QCOMPARE(g_langDialogMain[1], (QVector<QString>{"show 2", "exit 2"}));
    }

    void wrongRootContributesNothingAndLaterLanguagesMoveDown()
    {
        layOut({{fixture("lang-a.xml"), "0-English.xml"},
                {fixture("wrong-root.xml"), "1-China.xml"},
                {fixture("lang-b.xml"), "2-Filipino.xml"}});
        load();
        QCOMPARE(g_langSameMacro.size(), 2);
        QCOMPARE(g_langSameMacro[1][0], QString("B same"));
    }

    void brokenFileKeepsOnlyPagesCompletedBeforeTheError()
    {
        layOut({{fixture("nested-key.xml"), "0-English.xml"},
                {fixture("truncated.xml"), "1-China.xml"},
                {fixture("lang-b.xml"), "2-Filipino.xml"},
                {fixture("net.xml"), "3-French.xml"}});
        load();
        QCOMPARE(g_langSameMacro.size(), 3);
        QCOMPARE(g_langSameMacro[0][0], QString("kept"));
        QCOMPARE(g_langSameMacro[1][0], QString("before the cut"));
        QCOMPARE(g_langSameMacro[2][0], QString("B same"));
        // The half-read terminator completes no entry, and the pages after
        // the error add nothing.
        QCOMPARE(g_langDialogMain.size(), 1);
        QCOMPARE(g_langDialogMain[0][0], QString("B show"));
        QCOMPARE(g_langMatch.size(), 1);
        QCOMPARE(g_langMatch[0][0], QString("B title"));
        // A "Profile" file in a language slot has the wrong root.
        QVERIFY(g_langCompanyInfo.isEmpty());
    }

    // ---- Shipped files -------------------------------------------------

    void shippedFilesListEveryPageWithItsKeysInOrder()
    {
        const QVector<LanguagePage> &pages = languagePages();
        QCOMPARE(pages.size(), 32);
        for (const LanguagePage &p : pages)
            QCOMPARE(p.keys.size(), expectedCounts().value(p.name, -1));
        for (const QString name : {"0-English.xml", "1-China.xml"}) {
            QString root;
            const QMap<QString, QStringList> inFile = keysInFile(shippedDir() + "/" + name, &root);
            QCOMPARE(root, QString("Total"));
            QCOMPARE(inFile.size(), 31);
            for (const LanguagePage &p : pages) {
                if (p.name == "English")
                    continue;
                QVERIFY2(inFile.contains(p.name), qPrintable(name + ": " + p.name));
                QCOMPARE(inFile.value(p.name), p.keys);
            }
        }
        QString root;
        const QMap<QString, QStringList> net = keysInFile(shippedDir() + "/Net.xml", &root);
        QCOMPARE(root, QString("Profile"));
        QCOMPARE(net.keys(), QStringList{"English"});
        QCOMPARE(net.value("English"), pages.last().keys);
    }

    void shippedFilesLoadTwoCompleteLanguages()
    {
        load();   // from the test's own program folder, <build>/bin
        // Only two languages ship, so the load ends before Net.xml.
        QVERIFY(g_langCompanyInfo.isEmpty());
        for (const LanguagePage &p : languagePages()) {
            if (p.name == "English")
                continue;
            const int languages = 2;
            QVERIFY2(p.table->size() == languages, qPrintable(p.name));
            for (int lang = 0; lang < languages; ++lang) {
                const QVector<QString> &entry = p.table->at(lang);
                QVERIFY2(entry.size() == expectedCounts().value(p.name), qPrintable(p.name));
                for (int k = 0; k < entry.size(); ++k)
                    QVERIFY2(!entry[k].trimmed().isEmpty(),
                             qPrintable(QString("%1 %2 text %3").arg(p.name).arg(lang).arg(k)));
            }
        }
        QCOMPARE(g_langQuestion[0][3], QString("Cancel"));
        QCOMPARE(g_langQuestion[1][3], QString("取消"));
        QCOMPARE(g_langButtoninterface[0][51], QString("Home page"));
        QCOMPARE(loadedLanguageCount(), 2);
    }

    // The run's end views pick their text by the device and the outcome;
    // each text must say both, in each language.
    void updateEndTextsSayTheirDeviceAndOutcome()
    {
        load();
        const QMap<QString, QStringList> outcomes{
            {"Fail", {"does not report", "未报告"}},           {"Unchanged", {"did not accept", "未接受"}},
            {"Wrong", {"not the one", "不是开始"}},            {"Several", {"more than one", "多个"}},
            {"Absent", {"to update is not", "没有"}},          {"Silent", {"stopped answering", "没有响应"}},
            {"No", {"firmware file is missing", "固件文件"}}};
        const QStringList devices[2] = {{"receiver", "mouse"}, {"接收器", "鼠标"}};
        int checked = 0;
        for (const LanguagePage &p : languagePages()) {
            if (p.name != "Progress" && p.name != "AutoRepair")
                continue;
            for (int k = 0; k < p.keys.size(); ++k) {
                const QRegularExpressionMatch m =
                    QRegularExpression("^(Fail|Unchanged|Wrong|Several|Absent|Silent|No)(Receiver|Mouse)(Image)?$")
                        .match(p.keys.at(k));
                if (!m.hasMatch() || (m.captured(1) == "No") != !m.captured(3).isEmpty())
                    continue;
                ++checked;
                const int device = m.captured(2) == "Receiver" ? 0 : 1;
                for (int lang = 0; lang < 2; ++lang) {
                    const QString text = p.table->at(lang).at(k);
                    const QString what = QString("%1 %2: %3").arg(p.keys.at(k)).arg(lang).arg(text);
                    QVERIFY2(text.contains(outcomes.value(m.captured(1)).at(lang), Qt::CaseInsensitive), qPrintable(what));
                    QVERIFY2(text.contains(devices[lang].at(device), Qt::CaseInsensitive), qPrintable(what));
                    QVERIFY2(!text.contains(devices[lang].at(1 - device), Qt::CaseInsensitive), qPrintable(what));
                }
            }
        }
        QCOMPARE(checked, 14);
    }

    void shippedNetFileFillsTheMakerPage()
    {
        QList<QPair<QString, QString>> files;
        for (int i = 0; i < kLanguageFileCount; ++i)
            files.append({shippedDir() + "/0-English.xml",
                          QFileInfo(LanguageLoader::languageFilePath(i)).fileName()});
        files.append({shippedDir() + "/Net.xml", "Net.xml"});
        layOut(files);
        load();
        QCOMPARE(g_langCompanyInfo.size(), 1);
        QCOMPARE(g_langCompanyInfo[0].size(), 4);
        QCOMPARE(g_langCompanyInfo[0][0], QString("Quzmar"));
        QCOMPARE(g_langCompanyInfo[0][3], QString("https://www.quzmar.example"));
    }

    // ---- Language index ----------------------------------------------

    void storedIndexBeyondTheLoadedLanguagesFallsBackToEnglish()
    {
        QCOMPARE(loadedLanguageCount(), 0);
        g_language = 1;
        clampCurrentLanguage();
        QCOMPARE(g_language, 0);

        load();
        g_language = 7;
        clampCurrentLanguage();
        QCOMPARE(g_language, 0);
        g_language = 1;
        clampCurrentLanguage();
        QCOMPARE(g_language, 1);
        QCOMPARE(clampLanguageIndex(-1), 0);
        QCOMPARE(clampLanguageIndex(2), 0);
    }

    void languageMissingFromOnePageIsNotServed()
    {
        // A Chinese file that lacks one page: direct reads of that page for
        // language 1 would run past its table, so Chinese is not usable.
        QFile in(shippedDir() + "/1-China.xml");
        QVERIFY(in.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(in.readAll());
        const int from = text.indexOf("<LessThree>");
        const int to = text.indexOf("</LessThree>");
        QVERIFY(from > 0 && to > from);
        text.remove(from, to + int(strlen("</LessThree>")) - from);
        QVERIFY(QDir(m_dir->path()).mkpath("Language"));
        QFile out(m_dir->path() + "/Language/1-China.xml");
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(text.toUtf8());
        out.close();
        layOut({{shippedDir() + "/0-English.xml", "0-English.xml"}});
        load();
        QCOMPARE(g_langLessThree.size(), 1);
        QCOMPARE(g_langSameMacro.size(), 2);
        QCOMPARE(loadedLanguageCount(), 1);
        QCOMPARE(clampLanguageIndex(1), 0);
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"

// One language file's bytes through the loader into the text tables, then
// every text a window could ask for.
#include "globals.h"
#include "languageloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

namespace {
QTemporaryDir *programFolder()
{
    static QTemporaryDir *dir = [] {
        static int argc = 1;
        static char name[] = "fuzz_language";
        static char *argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
        auto *d = new QTemporaryDir;
        QDir().mkpath(d->path() + "/Language");
        setProgramDirOverride(d->path());
        return d;
    }();
    return dir;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QTemporaryDir *dir = programFolder();
    {
        QFile f(dir->path() + "/Language/0-English.xml");
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    clearLanguageTables();
    LanguageLoader loader;
    loader.LanguageTextLoader();
    g_language = 1;
    clampCurrentLanguage();
    for (const LanguagePage &page : languagePages())
        for (int k = 0; k < 64; ++k)
            langText(*page.table, g_language, k);
    return 0;
}

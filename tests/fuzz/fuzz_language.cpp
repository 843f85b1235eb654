// One language file's bytes through the loader into the text tables, then
// every text a window could ask for.
#include "fuzzsupport.h"
#include "languageloader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString dir = fuzzProgramFolder("Language");
    if (!writeFuzzFile(dir + "/Language/0-English.xml", data, size))
        return 0;
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

// A macro exchange file's bytes through the importer, then through the
// block builder. A file that is not a whole exchange file must add nothing
// (no macro file, nothing handed back) and end at once, whatever its row
// count says; an imported one holds at most 70 rows of the vocabulary and
// a loop mode the editor shows, and its new macro file reads back as the
// same rows.
#include "fuzzsupport.h"
#include "macroblock.h"
#include "macroexchange.h"
#include "macrofile.h"

#include <cstdlib>

namespace {

void ignoreMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString base = fuzzProgramFolder("MacroPage");
    static const QString folder = base + "/MacroPage";
    static const MouseButtonNames mouse{"Left", "Right", "Middle", "Back", "Forward"};
    qInstallMessageHandler(ignoreMessages);
    const QString source = base + "/exchange.bin";
    if (!writeFuzzFile(source, data, size))
        return 0;

    MacroExportFile exchange;
    exchange.loopText = QStringLiteral("untouched");
    const MacroImportResult result = importMacroExchange(source, folder, QStringLiteral("fuzz"), mouse, &exchange);
    const QString target = macroFilePath(folder, QStringLiteral("fuzz"));
    if (result != MacroImported) {
        if (QFile::exists(target) || exchange.loopText != QStringLiteral("untouched"))
            std::abort();
        return 0;
    }
    if (exchange.rows.size() > kMacroMaxEvents || macroLoopMode(exchange.loopText) != exchange.loopText.toInt())
        std::abort();
    for (const MacroRow &row : exchange.rows) {
        if (!isMacroKey(row.code, row.kind))
            std::abort();
    }
    MacroFileContent written;
    if (!loadMacroFile(folder, QStringLiteral("fuzz"), mouse, &written) || written.loopText != exchange.loopText ||
        written.rows.size() != exchange.rows.size())
        std::abort();
    for (int i = 0; i < exchange.rows.size(); ++i) {
        const MacroRow &a = exchange.rows.at(i);
        const MacroRow &b = written.rows.at(i);
        if (a.code != b.code || a.kind != b.kind || a.release != b.release || a.delay != b.delay)
            std::abort();
    }
    const MacroDownloadRecord block = buildMacroBlock(QStringLiteral("fuzz"), exchange.rows);
    if (block.eventCount != exchange.rows.size())
        std::abort();
    // Exported again (without pictures), the file reads as the same rows.
    MacroExportFile second;
    if (!parseMacroExchange(macroExchangeBytes(QStringLiteral("fuzz"), exchange.loopText, exchange.rows, QIcon(), QIcon()),
                            mouse, &second) ||
        second.rows != exchange.rows || second.loopText != exchange.loopText)
        std::abort();
    QFile::remove(target);
    return 0;
}

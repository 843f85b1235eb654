// A macro file's bytes through the reader, then through the block builder.
// The rows must stay within the vocabulary, write back to a file that reads
// as the same rows, give the device the same block from the file as from
// the rows, and come back from that block unchanged.
#include "fuzzsupport.h"
#include "macroblock.h"
#include "macrofile.h"

#include <cstdlib>
#include <cstring>

namespace {

void ignoreMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

bool sameKeys(const MacroRows &a, const MacroRows &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].code != b[i].code || a[i].kind != b[i].kind || a[i].release != b[i].release ||
            macroDelayMs(a[i].delay) != macroDelayMs(b[i].delay))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString folder = fuzzProgramFolder("MacroPage") + "/MacroPage";
    static const MouseButtonNames mouse{"Left", "Right", "Middle", "Back", "Forward"};
    qInstallMessageHandler(ignoreMessages);
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));

    const MacroFileContent content = parseMacroFile(bytes, mouse);
    for (const MacroRow &row : content.rows) {
        if (!isMacroKey(row.code, row.kind))
            std::abort();
    }
    const MacroFileContent again = parseMacroFile(macroFileBytes(content.loopText, content.rows), mouse);
    if (again.loopText != content.loopText || again.rows != content.rows)
        std::abort();

    const MacroDownloadRecord block = buildMacroBlock(QStringLiteral("fuzz"), content.rows);
    const int count = std::min(int(content.rows.size()), kMacroMaxEvents);
    if (block.eventCount != count || !sameKeys(macroBlockRows(block, mouse), content.rows.mid(0, count)))
        std::abort();

    if (!writeFuzzFile(folder + "/fuzz.ini", data, size))
        return 0;
    MacroDownloadRecord fromFile;
    if (!readMacroFile(folder, QStringLiteral("fuzz"), &fromFile) ||
        std::memcmp(&fromFile, &block, sizeof block) != 0)
        std::abort();
    if (readMacroHeader(folder, QStringLiteral("fuzz")) != (bytes.isEmpty() ? QStringLiteral("0") : content.loopText))
        std::abort();
    return 0;
}

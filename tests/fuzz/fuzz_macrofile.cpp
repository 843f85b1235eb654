// A macro file's bytes through the reader, then through the block builder.
// The rows must stay within the vocabulary, write back to a file that reads
// as the same rows, and come back unchanged from the block, whether built
// from the rows or read from the file.
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
    // Read from the block's own fields, not built again the way the file's block is.
    if (!ReadMacroFile(folder, QStringLiteral("fuzz"), &fromFile) || fromFile.eventCount != count ||
        macroBlockStoredName(fromFile) != QStringLiteral("fuzz") ||
        !sameKeys(macroBlockRows(fromFile, mouse), content.rows.mid(0, count)))
        std::abort();
    if (ReadMacroHeader(folder, QStringLiteral("fuzz")) != (bytes.isEmpty() ? QStringLiteral("0") : content.loopText))
        std::abort();
    return 0;
}

// A macro file's bytes through the reader, then through the block builder.
// The rows must stay within the vocabulary, write back to a file that reads
// as the same rows, and reach the device as the block lays them out byte by
// byte (name, count, then each row's action, kind, code and delay), from
// which they come back unchanged.
#include "fuzzsupport.h"
#include "macroblock.h"
#include "macrofile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

void ignoreMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

// The block of the macro "fuzz" holding `rows`, checked byte by byte.
bool laidOut(const MacroDownloadRecord &block, const MacroRows &rows)
{
    const auto *b = block.bytes();
    if (b[0] != 4 || std::memcmp(b + 1, "fuzz", 4) != 0 || b[31] != rows.size())
        return false;
    for (int i = 1 + 4; i < 31; ++i) {
        if (b[i] != 0)
            return false;
    }
    for (int i = 0; i < kMacroMaxEvents; ++i) {
        const u8 *e = b + 32 + 8 * i;
        if (i >= rows.size()) {
            if (std::any_of(e, e + 8, [](u8 v) { return v != 0; }))
                return false;
            continue;
        }
        const MacroRow &row = rows.at(i);
        const quint32 delay = macroDelayMs(row.delay);
        const u8 want[8] = {u8(row.release), u8(row.kind), u8(row.code), u8(row.code >> 8),
                            u8(delay), u8(delay >> 8), u8(delay >> 16), u8(delay >> 24)};
        if (std::memcmp(e, want, 8) != 0)
            return false;
    }
    return true;
}

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
    if (!ReadMacroFile(folder, QStringLiteral("fuzz"), &fromFile) || !laidOut(fromFile, content.rows.mid(0, count)))
        std::abort();
    if (ReadMacroHeader(folder, QStringLiteral("fuzz")) != (bytes.isEmpty() ? QStringLiteral("0") : content.loopText))
        std::abort();
    return 0;
}

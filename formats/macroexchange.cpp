#include "macroexchange.h"

#include "programservices.h"
#include "macroblock.h"
#include "macrofile.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QByteArray kMarker("Malvo");
constexpr int kMarkerFieldSize = 12;
constexpr int kNameFieldSize = 48;
constexpr int kLoopFieldSize = 12;
const QString kDownAction = QString(QChar(0x3000));   // "0" and its zero byte, read as one UTF-16 unit
// No exchange file comes near this; a larger file is refused before it is read.
constexpr qint64 kMaxExchangeFileSize = 16 * 1024 * 1024;
// The smallest row: four empty fields of a length word each.
constexpr qint64 kMinRowSize = 16;
// Pictures one icon may carry.
constexpr qint32 kMaxIconPictures = 64;

QByteArray zeroPadded(const QByteArray &text, int size)
{
    QByteArray field = text.left(size);
    field.append(QByteArray(size - field.size(), '\0'));
    return field;
}

QByteArray fieldText(const QByteArray &field)
{
    const int end = field.indexOf('\0');
    return end < 0 ? field : field.left(end);
}

// A bounded reader over the whole file: every read checks the bytes left
// first, so no length or count in the file can make it read past the end
// or allocate more than the file holds.
class ExchangeReader
{
public:
    explicit ExchangeReader(const QByteArray &bytes) : m_bytes(bytes) {}

    qint64 remaining() const { return m_bytes.size() - m_pos; }

    bool skip(qint64 n)
    {
        if (n < 0 || n > remaining())
            return false;
        m_pos += int(n);
        return true;
    }

    bool raw(qint64 n, QByteArray *out)
    {
        if (n < 0 || n > remaining())
            return false;
        *out = m_bytes.mid(m_pos, int(n));
        m_pos += int(n);
        return true;
    }

    bool u32(quint32 *value)
    {
        QByteArray b;
        if (!raw(4, &b))
            return false;
        const auto *p = reinterpret_cast<const uchar *>(b.constData());
        *value = quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
        return true;
    }

    bool i32(qint32 *value)
    {
        quint32 v = 0;
        if (!u32(&v))
            return false;
        *value = qint32(v);
        return true;
    }

    // A byte block: its u32 length, then the bytes.
    bool block(QByteArray *out)
    {
        quint32 length = 0;
        return u32(&length) && raw(length, out);
    }

    // A text in the stream's form: u32 byte length (all ones for a null
    // text), then UTF-16 big-endian. An odd length is damage.
    bool text(QString *out)
    {
        quint32 length = 0;
        if (!u32(&length))
            return false;
        if (length == 0xFFFFFFFFu) {
            *out = QString();
            return true;
        }
        QByteArray b;
        if ((length & 1) != 0 || !raw(length, &b))
            return false;
        QString s(int(length / 2), Qt::Uninitialized);
        const auto *p = reinterpret_cast<const uchar *>(b.constData());
        for (int i = 0; i < s.size(); ++i)
            s[i] = QChar(ushort(p[2 * i] << 8 | p[2 * i + 1]));
        *out = s;
        return true;
    }

    // A picture as the stream holds it: a PNG whose end only its chunks
    // tell. Walked chunk by chunk up to IEND; the pixels are never decoded.
    bool png()
    {
        static const QByteArray kSignature("\x89PNG\r\n\x1a\n", 8);
        QByteArray sig;
        if (!raw(8, &sig) || sig != kSignature)
            return false;
        for (;;) {
            quint32 length = 0;
            QByteArray type;
            if (!u32(&length) || length > 0x7FFFFFFFu || !raw(4, &type) || !skip(qint64(length) + 4))
                return false;
            if (type == "IEND")
                return true;
        }
    }

    // An icon in the stream's form of version 17. Only the form an icon
    // made from picture files takes is accepted; its pictures are skipped,
    // not decoded, and the file names it carries are never opened.
    bool icon()
    {
        QString key;
        if (!text(&key))
            return false;
        if (key.isEmpty())
            return true;   // a null icon
        if (key != QLatin1String("QPixmapIconEngine"))
            return false;
        qint32 count = 0;
        if (!i32(&count) || count < 0 || count > kMaxIconPictures)
            return false;
        for (qint32 i = 0; i < count; ++i) {
            qint32 hasPicture = 0;
            QString fileName;
            if (!i32(&hasPicture) || (hasPicture != 0 && !png()) || !text(&fileName))
                return false;
            if (!skip(4 * 4))   // size (width, height), mode, state
                return false;
        }
        return true;
    }

private:
    const QByteArray &m_bytes;
    int m_pos = 0;
};

bool isDecimal(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The loop mode of a loop field's text, as a macro file's first line; false
// for one the editor cannot show.
bool shownLoopMode(const QByteArray &text, QString *loopText)
{
    if (text.isEmpty()) {
        *loopText = QString::number(1);
        return true;
    }
    bool ok = false;
    const int mode = text.toInt(&ok, 10);
    // macroLoopMode gives every other number as a count of 1.
    if (!isDecimal(text) || !ok || macroLoopMode(QString::number(mode)) != mode)
        return false;
    *loopText = QString::number(mode);
    return true;
}

bool startsWithMarker(const QByteArray &bytes)
{
    ExchangeReader in(bytes);
    QByteArray marker;
    return in.block(&marker) && fieldText(marker) == kMarker;
}

bool readRow(ExchangeReader &in, const MouseButtonNames &mouse, MacroRow *row)
{
    QString name;
    QString action;
    QString delay;
    if (!in.text(&name) || !in.icon() || !in.text(&action) || !in.text(&delay))
        return false;
    MacroKey key;
    if (!macroKeyForName(name, mouse, &key)) {
        // A mouse button named in the language of the computer the file
        // was exported on.
        for (const MouseButtonNames &names : ProgramServices::mouseButtonNamesByLanguage()) {
            if (macroKeyForName(name, names, &key))
                break;
        }
    }
    row->name = key.kind == kMacroKindMouse ? MouseButtonName(key.code, mouse) : name;
    row->code = key.code;
    row->kind = key.kind;
    // The row's picture follows its action, which is what every export
    // holds; the icon's own pictures are not taken from another computer.
    row->release = action != kDownAction;
    // A delay in the form the macro file takes it: one word.
    row->delay = macroDelayText(macroDelayMs(delay));
    return true;
}

} // namespace

QString macroRowIconPath(bool release)
{
    return ProgramServices::programDir() + QStringLiteral("/Picture/Macro/") +
           (release ? QStringLiteral("MacroUp.png") : QStringLiteral("MacroDown.png"));
}

QByteArray macroExchangeBytes(const QString &name, const QString &loopText, const MacroRows &rows,
                              const QIcon &downIcon, const QIcon &upIcon)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    // The format is fixed at version 17; the toolkit's default is newer.
    out.setVersion(QDataStream::Qt_5_9);
    const QByteArray marker = zeroPadded(kMarker, kMarkerFieldSize);
    const QByteArray nameField = zeroPadded(name.toUtf8(), kNameFieldSize);
    // Cut one short of the field, so a zero byte always ends the text.
    const QByteArray loopField = zeroPadded(loopText.toUtf8().left(kLoopFieldSize - 1), kLoopFieldSize);
    out.writeBytes(marker.constData(), uint(marker.size()));
    out.writeBytes(nameField.constData(), uint(nameField.size()));
    out.writeBytes(loopField.constData(), uint(loopField.size()));
    out << qint32(rows.size());
    for (const MacroRow &row : rows) {
        out << row.name;
        out << (row.release ? upIcon : downIcon);
        out << (row.release ? "1" : "0");
        out << row.delay;
    }
    return bytes;
}

bool exportMacroExchange(const QString &path, const QString &name, const QString &loopText, const MacroRows &rows)
{
    const QByteArray bytes = macroExchangeBytes(name, loopText, rows, QIcon(macroRowIconPath(false)),
                                                QIcon(macroRowIconPath(true)));
    return replaceFileContent(path, bytes);
}

bool parseMacroExchange(const QByteArray &bytes, const MouseButtonNames &mouse, MacroExportFile *exchange)
{
    ExchangeReader in(bytes);
    QByteArray marker;
    QByteArray nameField;
    QByteArray loopField;
    if (!in.block(&marker) || fieldText(marker) != kMarker || !in.block(&nameField) || !in.block(&loopField))
        return false;
    MacroExportFile result;
    // The loop mode becomes the first line of the new macro file.
    if (!shownLoopMode(fieldText(loopField), &result.loopText))
        return false;
    qint32 count = 0;
    // A count the data cannot hold ends the import before any row is read.
    if (!in.i32(&count) || count < 0 || qint64(count) * kMinRowSize > in.remaining())
        return false;
    const int wanted = std::min(int(count), kMacroMaxEvents);
    result.rowsLeftOut = count > wanted;
    result.rows.reserve(wanted);
    for (int i = 0; i < wanted; ++i) {
        MacroRow row;
        if (!readRow(in, mouse, &row))
            return false;
        result.rows.append(row);
    }
    *exchange = result;
    return true;
}

MacroImportResult importMacroExchange(const QString &sourcePath, const QString &folder, const QString &name,
                                      const MouseButtonNames &mouse, MacroExportFile *exchange)
{
    const QString target = macroFilePath(folder, name);
    if (target.isEmpty())
        return MacroImportUnreadable;
    if (QFileInfo::exists(target))
        return MacroImportNameTaken;
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly) || source.size() > kMaxExchangeFileSize)
        return MacroImportUnreadable;
    const QByteArray bytes = source.read(kMaxExchangeFileSize + 1);
    if (bytes.size() > kMaxExchangeFileSize)
        return MacroImportUnreadable;
    MacroExportFile parsed;
    if (!parseMacroExchange(bytes, mouse, &parsed))
        return startsWithMarker(bytes) ? MacroImportRefused : MacroImportUnreadable;
    // The new macro appears whole or not at all.
    if (!SaveMacroFile(folder, name, parsed.loopText, parsed.rows))
        return MacroImportNotWritten;
    *exchange = parsed;
    return MacroImported;
}

#include "macrofile.h"

#include "macroname.h"
#include "programservices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QByteArray kCrLf("\r\n");
const QByteArray kLf("\n");
const QString kIniSuffix = QStringLiteral(".ini");

MacroRow rowFromKeyLine(const QString &codeText, int kind, bool release, const MouseButtonNames &mouse)
{
    MacroRow row;
    row.name = HidCodeToKeyName(codeText, kind, mouse);
    const int code = parseKeyHexText(codeText);
    if (code >= 0 && isMacroKey(code, kind)) {
        row.code = code;
        row.kind = kind;
    }
    row.release = release;
    return row;
}

bool readWholeFile(const QString &path, QByteArray *bytes)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

} // namespace

bool replaceFileContent(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The flush shows a full disk before commit() renames a cut-off file
    // over the good one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString defaultMacroFolder()
{
    return ProgramServices::userDataDir() + QStringLiteral("/usersetting/MacroPage");
}

QString macroFilePath(const QString &folder, const QString &name)
{
    if (!isMacroFileName(name))
        return QString();
    return folder + QLatin1Char('/') + name + kIniSuffix;
}

QStringList listMacroNames(const QString &folder)
{
    QDir dir(folder);
    dir.setNameFilters({QStringLiteral("*.ini")});
    // Hidden files too: a name starting with a dot is still a macro.
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::CaseSensitive);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    QStringList names;
    for (const QString &fileName : dir.entryList()) {
        if (fileName.contains(QLatin1String("xml")) || !fileName.endsWith(kIniSuffix))
            continue;
        const QString name = fileName.left(fileName.size() - kIniSuffix.size());
        if (isMacroFileName(name))
            names.append(name);
    }
    return names;
}

QString macroNameFromFileName(const QString &filePath)
{
    QString name = QFileInfo(filePath).fileName();
    if (name.endsWith(kIniSuffix))
        name.chop(kIniSuffix.size());
    return usableMacroName(name);
}

MacroFileContent parseMacroFile(const QByteArray &bytes, const MouseButtonNames &mouse)
{
    MacroFileContent content;
    const QChar lineFeed(QLatin1Char('\n'));
    int start = 0;
    bool first = true;
    while (start < bytes.size()) {
        int end = bytes.indexOf('\n', start);
        QByteArray raw = end < 0 ? bytes.mid(start) : bytes.mid(start, end - start + 1);
        start = end < 0 ? bytes.size() : end + 1;
        // Every line comes back ending in a bare line feed, whichever line
        // end the file was written with.
        if (raw.endsWith(kCrLf))
            raw.replace(raw.size() - 2, 2, kLf);
        const QStringList words = QString::fromUtf8(raw).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (first) {
            first = false;
            content.hasLoopLine = true;
            if (!words.isEmpty())
                content.loopText = words.first().endsWith(lineFeed) ? words.first().chopped(1) : words.first();
            continue;
        }
        if (words.size() == 3) {
            const QString &action = words.at(2);
            if (action != QLatin1String("0\n") && action != QLatin1String("1\n"))
                continue;
            content.rows.append(rowFromKeyLine(words.at(0), words.at(1).toInt(), action.at(0) == QLatin1Char('1'), mouse));
        } else if (words.size() == 1 && !content.rows.isEmpty()) {
            const QString &word = words.first();
            content.rows.last().delay = word.endsWith(lineFeed) ? word.chopped(1) : word;
        }
    }
    return content;
}

QByteArray macroFileBytes(const QString &loopText, const MacroRows &rows)
{
    QByteArray out = loopText.toUtf8() + kCrLf;
    for (const MacroRow &row : rows) {
        // The key line comes from the row's code and kind, never from its
        // name: a name of another language or outside the vocabulary would
        // otherwise give a one-word line that readers take for a delay.
        out += keyHexText(row.code).toUtf8() + ' ' + QByteArray::number(row.kind) + ' ' +
               (row.release ? '1' : '0') + kCrLf;
        out += row.delay.toUtf8() + kCrLf;
    }
    return out;
}

bool loadMacroFile(const QString &folder, const QString &name, const MouseButtonNames &mouse,
                   MacroFileContent *content)
{
    *content = MacroFileContent();
    QByteArray bytes;
    if (!readWholeFile(macroFilePath(folder, name), &bytes))
        return false;
    *content = parseMacroFile(bytes, mouse);
    return true;
}

bool CreateMacroFile(const QString &folder, const QString &name)
{
    const QString path = macroFilePath(folder, name);
    if (path.isEmpty())
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

bool SaveMacroFile(const QString &folder, const QString &name, const QString &loopText, const MacroRows &rows)
{
    return replaceFileContent(macroFilePath(folder, name), macroFileBytes(loopText, rows));
}

QString ReadMacroHeader(const QString &folder, const QString &name)
{
    QByteArray bytes;
    if (!readWholeFile(macroFilePath(folder, name), &bytes) || bytes.isEmpty())
        return QStringLiteral("0");
    return parseMacroFile(bytes, MouseButtonNames()).loopText;
}

bool ReadMacroFile(const QString &folder, const QString &name, MacroDownloadRecord *block)
{
    *block = emptyMacroBlock();
    QByteArray bytes;
    if (!readWholeFile(macroFilePath(folder, name), &bytes))
        return false;
    *block = buildMacroBlock(name, parseMacroFile(bytes, MouseButtonNames()).rows);
    return true;
}

bool renameMacroFile(const QString &folder, const QString &from, const QString &to)
{
    const QString fromPath = macroFilePath(folder, from);
    const QString toPath = macroFilePath(folder, to);
    return !fromPath.isEmpty() && !toPath.isEmpty() && QFile::rename(fromPath, toPath);
}

bool removeMacroFile(const QString &folder, const QString &name)
{
    const QString path = macroFilePath(folder, name);
    return !path.isEmpty() && QFile::remove(path);
}

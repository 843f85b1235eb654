#include "macroname.h"

#include <QTextBoundaryFinder>

namespace {

bool isUnsafeChar(QChar c)
{
    // Path separators would put the macro file into another folder; control
    // characters (NUL among them) cannot stand in a file name.
    return c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7F;
}

bool isReservedName(const QString &name)
{
    return name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..");
}

} // namespace

QString cutToLocal8Bit(const QString &text, int maxBytes)
{
    if (text.toLocal8Bit().size() <= maxBytes)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int fits = 0;
    for (int pos = finder.toNextBoundary(); pos != -1; pos = finder.toNextBoundary()) {
        if (text.left(pos).toLocal8Bit().size() > maxBytes)
            break;
        fits = pos;
    }
    return text.left(fits);
}

QString usableMacroName(const QString &text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        if (!isUnsafeChar(c))
            s.append(c);
    }
    s = cutToLocal8Bit(s, kMacroNameMaxBytes);
    if (isReservedName(s))
        s.clear();
    return s;
}

bool isMacroFileName(const QString &name)
{
    if (isReservedName(name) || name.contains(QLatin1String("xml")))
        return false;
    for (QChar c : name) {
        if (isUnsafeChar(c))
            return false;
    }
    return true;
}

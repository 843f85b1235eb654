#ifndef MACROEXCHANGEDIALOG_H
#define MACROEXCHANGEDIALOG_H

// The question for a macro exchange file: the toolkit's save or open
// dialog, starting in the user's home folder. Tests answer it themselves.

#include <QString>

#include <functional>

class QWidget;

// Answers with a file path, or an empty text for no file; `save` is true
// for an export.
using ExchangeFileQuestion = std::function<QString(bool save)>;

// Replaces the dialogs; an empty question brings them back.
void setExchangeFileQuestion(ExchangeFileQuestion question);
QString askExchangeFile(QWidget *parent, bool save);

#endif // MACROEXCHANGEDIALOG_H

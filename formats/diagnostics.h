#ifndef DIAGNOSTICS_H
#define DIAGNOSTICS_H

// The program's diagnostic markers, written with qCDebug(lcDiagnostics).
// Off unless turned on, as for any category of the toolkit:
//   QT_LOGGING_RULES="quz.diagnostics.debug=true"
// It lies with the lowest floor that writes markers (the key tables trace
// key names), so that every floor above writes into the same category.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDiagnostics)

#endif // DIAGNOSTICS_H

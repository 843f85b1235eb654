#include "diagnostics.h"

// Warnings and above only, unless QT_LOGGING_RULES says otherwise.
Q_LOGGING_CATEGORY(lcDiagnostics, "quz.diagnostics", QtInfoMsg)

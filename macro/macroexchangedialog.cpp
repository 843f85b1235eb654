#include "macroexchangedialog.h"

#include <QDir>
#include <QFileDialog>

namespace {
ExchangeFileQuestion &question()
{
    static ExchangeFileQuestion q;
    return q;
}
} // namespace

void setExchangeFileQuestion(ExchangeFileQuestion q)
{
    question() = std::move(q);
}

QString askExchangeFile(QWidget *parent, bool save)
{
    if (question())
        return question()(save);
    QFileDialog dialog(parent, save ? QStringLiteral("FileSave") : QStringLiteral("SelectFile"), QDir::homePath(),
                       QStringLiteral("File(*.ini)"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // A name typed without a suffix is saved as an .ini file, the kind
        // Import lists; the dialog adds it before it asks whether to
        // replace a file of that name. A name with a suffix stays as typed.
        dialog.setDefaultSuffix(QStringLiteral("ini"));
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

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
    const QString filter = QStringLiteral("File(*.ini)");
    if (save)
        return QFileDialog::getSaveFileName(parent, QStringLiteral("FileSave"), QDir::homePath(), filter);
    return QFileDialog::getOpenFileName(parent, QStringLiteral("SelectFile"), QDir::homePath(), filter);
}

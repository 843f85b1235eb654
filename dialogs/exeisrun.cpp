#include "exeisrun.h"

#include "languageloader.h"
#include "macrosettings.h"
#include "postmsg.h"
#include "ui_ExeIsRun.h"

#include <QFile>
#include <QFontDatabase>
#include <QXmlStreamReader>

#include <functional>

namespace {
// Its texts come from the file, not the tables; it follows SigSetStyle but
// is styled by its constructor from the product-wide colours.
constexpr NoticeTraits kExeIsRun = {"DeleteConfirmA", {nullptr, 0}, {nullptr, 0, 0}, {nullptr, 0},
                                  {nullptr, 0}, "Confirm", false, true, false, false, false};
} // namespace

ExeIsRun::ExeIsRun(QWidget *parent)
    : OneButtonNotice(kExeIsRun, parent), ui(new Ui::ExeIsRun)
{
    ui->setupUi(this);
    QFontDatabase::addApplicationFont(programDir() + "/font/Montserrat-VariableFont_wght.ttf");
    connect(PostMsg::instance(), &PostMsg::SigChangeLanguage, this, &ExeIsRun::SlotChangeLanguage);
    build();
    applyStyle(optionRgb("LabelColor"), optionRgb("ButtonColor"), false);

    // Only the persisted choice counts: the program's language index is not
    // set yet when this notice runs at start-up.
    const int index = MacroSettings::instance()->readString(QStringLiteral("Language"), QStringLiteral("Language")).toInt();
    SlotChangeLanguage(index);
}

ExeIsRun::~ExeIsRun() = default;

void ExeIsRun::showFirstText()
{
    ui->label->setText(m_firstText);
}

void ExeIsRun::showSecondText()
{
    ui->label->setText(m_secondText);
}

void ExeIsRun::SlotChangeLanguage(int index)
{
    const QString path = LanguageLoader::languageFilePath(index);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;

    // Only the page EXEIsRun is read; its keys may come in any order and a
    // later text wins. A reader error ends the reading; what was set stays.
    QXmlStreamReader reader(&file);
    auto readPage = [&] {
        while (reader.readNextStartElement()) {
            const QStringRef key = reader.name();
            std::function<void(const QString &)> target;
            if (key == QLatin1String("label"))
                target = [this](const QString &t) { ui->label->setText(t); };
            else if (key == QLatin1String("NewHong"))
                target = [this](const QString &t) { ui->NewHong->setText(t); };
            else if (key == QLatin1String("label_2"))
                target = [this](const QString &t) { m_firstText = t; };
            else if (key == QLatin1String("PleaseStop"))
                target = [this](const QString &t) { m_secondText = t; };
            if (!target) {
                reader.skipCurrentElement();
                continue;
            }
            const QString text = reader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
            if (reader.hasError())
                return;
            target(text);
        }
    };
    while (!reader.atEnd() && !reader.hasError()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() != QLatin1String("Total")) {
            reader.raiseError(QStringLiteral("Not a labels file"));
            break;
        }
        while (!reader.hasError() && reader.readNextStartElement()) {
            if (reader.name() == QLatin1String("EXEIsRun"))
                readPage();
            else
                reader.skipCurrentElement();
        }
    }
    file.close();
}

#include "noticedialog.h"

#include "configsettings.h"
#include "pagebackground.h"
#include "postmsg.h"

#include <QCheckBox>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QToolButton>

NoticeDialog::NoticeDialog(const NoticeTraits &traits, QWidget *parent)
    : QDialog(parent), m_traits(traits)
{
}

NoticeDialog::~NoticeDialog() = default;

QString NoticeDialog::pictureFolder()
{
    return programDir() + "/Picture/WarningDialog/";
}

void NoticeDialog::build()
{
    m_frame = findChild<QFrame *>(QString::fromLatin1(m_traits.frameName));
    m_label = findChild<QLabel *>(QStringLiteral("label"));
    m_closeButton = findChild<QToolButton *>(QStringLiteral("CloseButton"));
    m_okButton = findChild<QToolButton *>(QStringLiteral("NewHong"));
    if (!m_okButton)
        m_okButton = findChild<QToolButton *>(QStringLiteral("OK"));
    m_cancelButton = findChild<QToolButton *>(QStringLiteral("Cancel"));
    if (!m_cancelButton)
        m_cancelButton = findChild<QToolButton *>(QStringLiteral("NewHong_2"));
    m_checkBox = findChild<QCheckBox *>(QStringLiteral("NoApear"));

    setWindowFlags(Qt::WindowFlags(kWindowFlags));
    setFixedSize(kWidth, kHeight);

    PostMsg *hub = PostMsg::instance();
    if (m_traits.followLanguage)
        connect(hub, &PostMsg::SigAllLanguage, this, &NoticeDialog::SlotAllLanguage);
    if (m_traits.followStyle)
        connect(hub, &PostMsg::SigSetStyle, this, &NoticeDialog::SlotSetStyle);
    if (m_traits.closeWhenOnline)
        connect(hub, &PostMsg::SigCloseOffOnline, this, [this] { finish(false); });

    if (m_traits.followLanguage)
        SlotAllLanguage(g_language);
    grabReturnKey();
    if (m_traits.styleAtStart)
        SlotSetStyle(0);
}

void NoticeDialog::SlotAllLanguage(int index)
{
    if (m_label && m_labelText.table) {
        m_label->setText(langText(*m_labelText.table, index, m_labelText.position));
    } else if (m_label && m_traits.label.table) {
        int position = m_traits.label.position;
        if (m_traits.labelChoice.selector) {
            position = *m_traits.labelChoice.selector - m_traits.labelChoice.firstValue;
            if (position < 0 || position >= m_traits.labelChoice.count)
                position = -1;
        }
        if (position >= 0)
            m_label->setText(langText(*m_traits.label.table, index, position));
    }
    if (m_okButton && m_traits.okText.table) {
        m_okButton->setText(langText(*m_traits.okText.table, index, m_traits.okText.position));
        grabReturnKey();
    }
    if (m_cancelButton)
        m_cancelButton->setText(langText(g_langQuestion, index, 3));
    if (m_checkBox && m_traits.checkText.table)
        m_checkBox->setText(langText(*m_traits.checkText.table, index, m_traits.checkText.position));
}

void NoticeDialog::showLabelText(const NoticeText &text)
{
    m_labelText = text;
    SlotAllLanguage(g_language);
}

void NoticeDialog::grabReturnKey()
{
    // Setting a button's text replaces its shortcut with the text's
    // mnemonic, so this runs again after every caption change.
    if (m_traits.returnPressesOk && m_okButton)
        m_okButton->setShortcut(QKeySequence(Qt::Key_Return));
}

void NoticeDialog::SlotSetStyle(int)
{
    applyStyle(themeRgbTriple(g_themeLabelColor), themeRgbTriple(g_themeButtonColor), true);
}

void NoticeDialog::applyStyle(const QString &labelRgb, const QString &buttonRgb, bool stretchFrame)
{
    picturePath = pictureFolder();
    const QString &f = picturePath;
    const QString ok = QString::fromLatin1(m_traits.okPicture);

    if (m_label)
        m_label->setStyleSheet("QLabel{color: rgb(" + labelRgb + ";);}");

    const QString action =
        "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb("
        + buttonRgb + ";);border-image: url(" + f + ok + ".png" + ");}QToolButton:pressed{border-image: url("
        + f + ok + "Click.png" + "); }";
    if (m_okButton)
        m_okButton->setStyleSheet(action);
    if (m_cancelButton)
        m_cancelButton->setStyleSheet(action);

    if (m_closeButton)
        m_closeButton->setStyleSheet(
            "QToolButton{border:0px;background-image: url(" + f + "Close.png"
            + ");background-position:center;background-repeat:no-repeat;}QToolButton:hover{background-image: url("
            + f + "CloseHover.png" + ");}QToolButton:pressed{background-image: url(" + f + "CloseClick.png" + ");}");

    if (m_frame)
        showFramePicture(m_frame, f + "BackGround.png", stretchFrame ? PageBackground::Stretch : PageBackground::Centre);
}

QString NoticeDialog::optionRgb(const char *key)
{
    QString fallback = QStringLiteral("0,0,0");
    for (const ThemeEntry &e : themeEntries()) {
        if (qstrcmp(e.key, key) == 0) {
            fallback = QString::fromLatin1(e.initial);
            break;
        }
    }
    return rgbTriple(ConfigSettings::instance()->readStringList(QStringLiteral("Option"), QString::fromLatin1(key)),
                     fallback);
}

void NoticeDialog::finish(bool ok)
{
    if (m_result)
        *m_result = ok;
    close();
}

void NoticeDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The window bypasses the window manager, which then never hands it the
    // keyboard focus on X11: take it, so Return and Escape reach the dialog.
    activateWindow();
}

#include "itemlist.h"
#include "ui_ItemList.h"

#include "configsettings.h"
#include "globals.h"
#include "postmsg.h"

#include <QEvent>
#include <QListWidget>
#include <QScrollBar>

namespace {

const char kRowsInViewName[] = "quz_macroRowsInView";

// Watches one list for rows coming into view.
class MacroRowsInView : public QObject
{
public:
    explicit MacroRowsInView(QListWidget *list) : QObject(list), m_list(list)
    {
        setObjectName(QLatin1String(kRowsInViewName));
        list->viewport()->installEventFilter(this);
        connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this, &MacroRowsInView::giveRowsInView);
    }

    void giveRowsInView()
    {
        QWidget *viewport = m_list->viewport();
        if (!viewport->isVisible())
            return;
        const QRect area = viewport->rect();
        for (int row = 0; row < m_list->count(); ++row) {
            QListWidgetItem *item = m_list->item(row);
            // Laid out by the first look, if the list had a layout pending.
            const QRect place = m_list->visualItemRect(item);
            if (place.top() > area.bottom())
                break;
            if (place.bottom() >= area.top() && !m_list->itemWidget(item))
                m_list->setItemWidget(item, new ItemList);
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Resize)
            giveRowsInView();
        return QObject::eventFilter(watched, event);
    }

private:
    QListWidget *m_list;
};

} // namespace

void giveMacroRowsInViewTheirWidgets(QListWidget *list)
{
    auto *watch = static_cast<MacroRowsInView *>(
        list->findChild<QObject *>(QLatin1String(kRowsInViewName), Qt::FindDirectChildrenOnly));
    if (!watch)
        watch = new MacroRowsInView(list);
    watch->giveRowsInView();
}

QString macroRowColor()
{
    return rgbTriple(ConfigSettings::instance()->readStringList("Option", "ButtonColor"), QStringLiteral("255,255,255"));
}

QString macroRowButtonStyle(const QString &color, const QString &dir, const char *picture, const char *hover)
{
    return "QToolButton{border:0px;background-position:center;background-repeat:no-repeat;color: rgb(" + color
           + ";);border-image: url(" + dir + picture + ");}QToolButton:hover{border-image: url(" + dir + hover
           + "); }";
}

ItemList::ItemList(QWidget *parent)
    : QWidget(parent), ui(new Ui::ItemList)
{
    ui->setupUi(this);
    m_pictureDir = programDir() + "/Picture/Macro/";
    const QString color = macroRowColor();
    ui->toolButton_2->setStyleSheet(macroRowButtonStyle(color, m_pictureDir, "Rename.png", "RenameHover.png"));
    ui->toolButton_3->setStyleSheet(macroRowButtonStyle(color, m_pictureDir, "Delete.png", "DeleteHover.png"));
    connect(PostMsg::instance(), &PostMsg::SigSetStyle, this, &ItemList::SlotSetStyle);
}

ItemList::~ItemList()
{
    delete ui;
}

QString ItemList::text() const
{
    return ui->toolButton_2->text();
}

void ItemList::setText(QString text)
{
    ui->toolButton_2->setText(text);
}

void ItemList::on_toolButton_2_clicked()
{
    setFocus(Qt::OtherFocusReason);
    PostMsg::instance()->postRenameMacro();
}

void ItemList::on_toolButton_3_clicked()
{
    setFocus(Qt::OtherFocusReason);
    PostMsg::instance()->postDeleteMacro();
}

void ItemList::SlotSetStyle(int index)
{
    Q_UNUSED(index);
}

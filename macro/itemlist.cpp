#include "itemlist.h"
#include "ui_ItemList.h"

#include "configsettings.h"
#include "globals.h"
#include "postmsg.h"

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

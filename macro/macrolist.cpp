#include "macrolist.h"
#include "ui_MacroList.h"

#include "globals.h"
#include "macrofile.h"
#include "postmsg.h"

MacroList::MacroList(QWidget *parent)
    : QDialog(parent), ui(new Ui::MacroList)
{
    ui->setupUi(this);
    PostMsg *hub = PostMsg::instance();
    connect(hub, &PostMsg::SigSetStyle, this, &MacroList::SlotSetStyle);
    connect(hub, &PostMsg::SigAllLanguage, this, &MacroList::SlotAllLanguage);
    SlotAllLanguage(g_language);
    // The same listing as the editor's macro list, so both offer the same
    // macros.
    for (const QString &name : listMacroNames(defaultMacroFolder()))
        ui->listWidgetHong->addItem(name);
    SlotSetStyle(0);
    ui->pushButton->hide();
}

MacroList::~MacroList() = default;

void MacroList::on_OK_clicked()
{
    const QListWidgetItem *item = ui->listWidgetHong->currentRow() != -1 ? ui->listWidgetHong->currentItem() : nullptr;
    macroName = item ? item->text() : QString();
    accepted = true;
    close();
}

void MacroList::on_Cancel_clicked()
{
    accepted = false;
    close();
}

void MacroList::on_CloseButton_clicked()
{
    close();
}

void MacroList::on_pushButton_clicked()
{
    PostMsg::instance()->postSelectStackInde(3);
    close();
}

void MacroList::SlotAllLanguage(int index)
{
    ui->label->setText(langText(g_langMacro, index, 0));
    ui->pushButton->setText(langText(g_langMacro, index, 2));
    ui->OK->setText(langText(g_langDialogChange, index, 4));
    ui->Cancel->setText(langText(g_langQuestion, index, 3));
}

void MacroList::SlotSetStyle(int index)
{
    Q_UNUSED(index);
    // Setting the flags hides a shown window; show it again.
    const bool shown = isVisible();
    setWindowFlags(Qt::WindowFlags(kWindowFlags));
    if (shown)
        show();
    m_pictureDir = programDir() + "/Picture/WarningDialog/";
    const QString &F = m_pictureDir;
    ui->frame->setStyleSheet("#frame{border: 1px  solid  rgb(198,209,216);background-position:center;"
                             "background-repeat:no-repeat;border:1px;border-image: url("
                             + F + "BackGround.png" + ");}");
    ui->label->setStyleSheet("QLabel{color: rgb(" + themeRgbTriple(g_themeLabelColor) + ";);}");
    ui->CloseButton->setStyleSheet("QToolButton{border:0px;background-image: url(" + F + "Close.png"
                                   + ");background-position:center;background-repeat:no-repeat;}"
                                     "QToolButton:hover{background-image: url("
                                   + F + "CloseHover.png" + ");}QToolButton:pressed{background-image: url(" + F
                                   + "CloseClick.png" + ");}");
    ui->pushButton->setStyleSheet("QPushButton{border:0px; text-align:left;background-color:transparent;"
                                  "color: rgb(200, 200, 200);}QPushButton:hover{color: rgb(220, 210, 210);}");
    // The captions take the theme's button colour, as on every other
    // dialog's accent buttons: a fixed light grey hardly shows on them.
    const QString confirm = "QPushButton{border:0px;border-image: url(" + F + "ConFirm.png"
                            + ");background-color:transparent;color: rgb(" + themeRgbTriple(g_themeButtonColor)
                            + ");}QPushButton:hover{color: "
                              "rgb(220, 210, 210);border-image: url("
                            + F + "ConFirmClick.png" + ");}";
    ui->OK->setStyleSheet(confirm);
    ui->Cancel->setStyleSheet(confirm);
    ui->listWidgetHong->setStyleSheet(
        "#listWidgetHong{background-color: rgb(36, 36, 36);color: rgb(255, 255, 255);outline: 0px;border:0px;}"
        "#listWidgetHong::item:selected:active {background: qlineargradient(x1: 0, y1: 0,x2: 0,y2: 1,stop: 0 "
        "#DEE5F1,stop: 1 #DEE5F1);color: rgb(0, 0, 0);}#listWidgetHong::item:selected:!active {background: "
        "qlineargradient(x1: 0, y1: 0,x2: 0,y2: 1,stop: 0 #DEE5F1,stop: 1 #DEE5F1);color: rgb(0, 0, 0);}"
        "#listWidgetHong::item:hover {background: transparent;}");
}

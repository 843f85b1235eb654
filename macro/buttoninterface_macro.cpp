// The macro editor's members of the device page: the macro list from the
// macro folder, and the slots through which the editor's rows, the device
// data and the other pages reach it.
#include "buttoninterface.h"
#include "ui_Buttoninterface.h"

#include "itemlist.h"
#include "macrofile.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidgetItem>

void Buttoninterface::LoadMacroList(QString list)
{
    Q_UNUSED(list);
    const QFileInfoList files = QDir(m_macroDir).entryInfoList(QDir::Files | QDir::NoSymLinks);
    for (const QFileInfo &file : files) {
        if (file.fileName().contains(QLatin1String("xml")))
            continue;
        auto *item = new QListWidgetItem(QString(file.fileName()).remove(QLatin1String(".ini")));
        ui->listWidgetHong->addItem(item);
        ui->listWidgetHong->setItemWidget(item, new ItemList);
    }
}

void Buttoninterface::WriteMacroFile(QString name, QString text)
{
    writeMacroFile(m_macroDir, name, text);
}

// The slots below take the editor's work once the editor is complete; the
// page already receives their signals.
void Buttoninterface::SlotButtonToMacro(FlashDataMap DataMap, int KeyNumer)
{
    Q_UNUSED(DataMap);
    Q_UNUSED(KeyNumer);
}

void Buttoninterface::SlotMacroDownLoadData(QString MacroName, int index)
{
    Q_UNUSED(MacroName);
    Q_UNUSED(index);
}

void Buttoninterface::SlotSetMacroPage() {}

void Buttoninterface::SlotDeleteItemMacro() {}

void Buttoninterface::SlotRenameItemMacro() {}

void Buttoninterface::SlotDeleteItemKey() {}

void Buttoninterface::SlotRenameItemKey(int index)
{
    Q_UNUSED(index);
}

void Buttoninterface::ExPortMacro() {}

void Buttoninterface::SlotAddMacroButton() {}

void Buttoninterface::SlotUpDataMacro(QString MacroName, int index)
{
    Q_UNUSED(MacroName);
    Q_UNUSED(index);
}

void Buttoninterface::SlotMacroRename(QString Rename, QString Name)
{
    Q_UNUSED(Rename);
    Q_UNUSED(Name);
}

void Buttoninterface::UpdateCapslockTipB(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(keyCode);
    Q_UNUSED(downOrUp);
    Q_UNUSED(aotu);
}

void Buttoninterface::UpdateCapslockTipC(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(keyCode);
    Q_UNUSED(downOrUp);
    Q_UNUSED(aotu);
}

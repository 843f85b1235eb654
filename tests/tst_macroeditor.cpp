// The macro editor of the device page as a user meets it: the chooser of
// a stored macro.

#include "globals.h"
#include "macrolist.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {

QString macroFolder()
{
    return userDataDir() + "/usersetting/MacroPage";
}

void putFiles(const QStringList &names)
{
    QDir().mkpath(macroFolder());
    for (const QString &name : names) {
        QFile f(macroFolder() + "/" + name);
        if (f.open(QIODevice::WriteOnly))
            f.write("1\r\n");
    }
}

QStringList rowsOf(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class TestMacroEditor : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        resetDeviceBench();
        QDir(userDataDir()).removeRecursively();
    }

    void chooserOffersStoredMacros_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("pick");          // row made current; -1 none
        QTest::addColumn<QString>("button");    // what closes the dialog
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("name");
        const QStringList mixed = {"b.ini", "A.ini", "c.ini", "notes.txt", "macro.xml", "xmlmacro.ini", "a.ini.ini"};
        QTest::newRow("no folder, OK") << QStringList() << -1 << "OK" << QStringList() << true << QString();
        QTest::newRow("macros only, by name") << mixed << -1 << "Cancel" << QStringList{"A", "a.ini", "b", "c"}
                                              << false << QString();
        QTest::newRow("OK without a row") << mixed << -1 << "OK" << QStringList{"A", "a.ini", "b", "c"} << true
                                          << QString();
        QTest::newRow("OK on a row") << mixed << 2 << "OK" << QStringList{"A", "a.ini", "b", "c"} << true << "b";
        QTest::newRow("Cancel on a row") << mixed << 2 << "Cancel" << QStringList{"A", "a.ini", "b", "c"} << false
                                         << QString();
        QTest::newRow("close on a row") << mixed << 0 << "CloseButton" << QStringList{"A", "a.ini", "b", "c"}
                                        << false << QString();
    }
    void chooserOffersStoredMacros()
    {
        QFETCH(QStringList, files);
        QFETCH(int, pick);
        QFETCH(QString, button);
        QFETCH(QStringList, listed);
        QFETCH(bool, accepted);
        QFETCH(QString, name);
        putFiles(files);
        MacroList dialog;
        auto *list = dialog.findChild<QListWidget *>("listWidgetHong");
        QVERIFY(list);
        QCOMPARE(rowsOf(list), listed);
        QVERIFY(!dialog.findChild<QPushButton *>("pushButton")->isVisibleTo(&dialog));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        if (pick >= 0)
            list->setCurrentRow(pick);
        QAbstractButton *closer = dialog.findChild<QAbstractButton *>(button);
        QVERIFY(closer);
        QTest::mouseClick(closer, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.accepted, accepted);
        QCOMPARE(dialog.macroName, name);
    }
};

QTEST_MAIN(TestMacroEditor)
#include "tst_macroeditor.moc"

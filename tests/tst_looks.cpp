// What the eye meets: fields and boxes whose text colour comes from the
// theme stay readable on their own background in both colour sets, and so
// does the hovered entry of the button menus.

#include "buttoninterface.h"
#include "configsettings.h"
#include "globals.h"
#include "languageloader.h"
#include "macro.h"
#include "macrolist.h"
#include "questiondialog.h"
#include "sensordpib.h"
#include "testsupport.h"

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <cmath>

namespace {

double luminance(QRgb c)
{
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

// Contrast between the commonest colour of the area (its background) and
// the colour that stands out most from it (the strokes of the text).
double textContrast(const QImage &area)
{
    QMap<QRgb, int> counts;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            ++counts[area.pixel(x, y) | 0xFF000000u];
    QRgb back = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            most = it.value(), back = it.key();
    const double b = luminance(back);
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double l = luminance(it.key());
        best = std::max(best, (std::max(l, b) + 0.05) / (std::min(l, b) + 0.05));
    }
    return best;
}

// The inner part of a box, away from its border and arrow.
QImage inner(QWidget *w, int right)
{
    const QImage all = w->grab().toImage();
    return all.copy(4, 4, all.width() - 8 - right, all.height() - 8);
}

} // namespace

class TestLooks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        registerDeviceMetaTypes();
        LanguageLoader().LanguageTextLoader();
    }
    void init()
    {
        resetDeviceBench();
    }
    void cleanup()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void themedTextIsReadable_data()
    {
        QTest::addColumn<int>("colourSet");
        QTest::addColumn<QString>("widget");
        QTest::addColumn<double>("least");   // 3 for text on a field; accent buttons carry white at about 3
        for (int set : {1, 2}) {
            QTest::newRow(qPrintable(QString("insert-event box, set %1").arg(set))) << set << "ChooseEvent" << 3.0;
            QTest::newRow(qPrintable(QString("insert-event arrow, set %1").arg(set))) << set << "arrow" << 3.0;
            QTest::newRow(qPrintable(QString("macro name field, set %1").arg(set))) << set << "lineEdit" << 3.0;
            QTest::newRow(qPrintable(QString("macro chooser OK, set %1").arg(set))) << set << "OK" << 2.5;
            QTest::newRow(qPrintable(QString("DPI page level caption, set %1").arg(set))) << set << "MA" << 3.0;
            QTest::newRow(qPrintable(QString("macro page key hint, set %1").arg(set))) << set << "Keydown_2" << 3.0;
        }
        // The hovered entry of a button's function menu (0) and of each of
        // its submenus (1 to 4: DPI, media, wheel, fixed DPI).
        for (int menu = 0; menu <= 4; ++menu) {
            const QString name = QString("menu %1").arg(menu);
            QTest::newRow(qPrintable("hovered entry, " + name)) << 1 << name << 3.0;
        }
    }
    void themedTextIsReadable()
    {
        QFETCH(int, colourSet);
        QFETCH(QString, widget);
        QFETCH(double, least);
        loadThemeColorSet(colourSet);
        g_language = 0;
        QImage area;
        if (widget == "ChooseEvent" || widget == "arrow") {
            Buttoninterface page;
            page.SlotAllLanguage(0);
            page.SlotSetStyle(0);
            auto *box = page.findChild<QComboBox *>("ChooseEvent");
            box->setCurrentIndex(1);   // "Key press"
            page.show();
            QVERIFY(QTest::qWaitForWindowExposed(&page));
            const QImage all = box->grab().toImage();
            area = widget == "arrow" ? all.copy(all.width() - 26, 4, 22, all.height() - 8) : inner(box, 30);
        } else if (widget.startsWith("menu")) {
            Buttoninterface page;
            page.SlotAllLanguage(0);
            QMenu *menu = page.functionMenu();
            const int sub = widget.mid(5).toInt();
            if (sub > 0)
                menu = menu->actions().at(menu->actions().size() - 5 + sub)->menu();
            menu->popup(QPoint(0, 0));
            QVERIFY(QTest::qWaitForWindowExposed(menu));
            QAction *entry = menu->actions().at(1);
            menu->setActiveAction(entry);
            // Inside the entry's rounded corners.
            area = menu->grab(menu->actionGeometry(entry).adjusted(3, 3, -3, -3)).toImage();
        } else if (widget == "MA") {
            SensorDPIB page;
            page.show();
            QVERIFY(QTest::qWaitForWindowExposed(&page));
            QWidget *caption = page.findChild<QWidget *>("MA");
            const QImage all = caption->grab().toImage();
            area = all.copy(24, 0, all.width() - 24, all.height());   // the text beside the mark
        } else if (widget == "Keydown_2") {
            Macro page;
            page.show();
            QVERIFY(QTest::qWaitForWindowExposed(&page));
            area = page.findChild<QWidget *>("Keydown_2")->grab().toImage();
        } else if (widget == "OK") {
            MacroList chooser;
            chooser.show();
            QVERIFY(QTest::qWaitForWindowExposed(&chooser));
            area = inner(chooser.findChild<QPushButton *>("OK"), 0);
        } else {
            QuestionDialog dialog;
            auto *field = dialog.findChild<QLineEdit *>("lineEdit");
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            // The name as typed, without a selection painting over it.
            field->setText("Jump");
            field->deselect();
            field->clearFocus();
            area = inner(field, 0);
        }
        const double contrast = textContrast(area);
        QVERIFY2(contrast >= least, qPrintable(QString::number(contrast)));
    }
};

QTEST_MAIN(TestLooks)
#include "tst_looks.moc"

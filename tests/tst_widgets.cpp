// The small widget classes: what each adds to its toolkit base.
#include "afterfirstpaint.h"
#include "custompushbutton.h"
#include "myconmbobox.h"
#include "mylineedit.h"
#include "myslider.h"
#include "mytoolbuttonenter.h"
#include "pagebackground.h"
#include "picturetiles.h"
#include "popupmenu.h"
#include "postmsg.h"
#include "syncedtoolbutton.h"
#include "testsupport.h"

#include <QtTest>
#include <QImage>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>

namespace {

// Counts the slider's "pressed" notices reaching its parent.
class EventCounter : public QWidget
{
public:
    int count = 0;
    bool event(QEvent *e) override
    {
        if (e->type() == MySlider::kSliderPressedEvent)
            ++count;
        return QWidget::event(e);
    }
};

// Counts the paints of the window it watches.
class PaintCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// Calls back when a key reaches the object it watches.
class KeyRecorder : public QObject
{
public:
    explicit KeyRecorder(std::function<void()> onKey) : m_onKey(std::move(onKey)) {}
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::KeyPress)
            m_onKey();
        return false;
    }

private:
    std::function<void()> m_onKey;
};

// Flat fields, so some tiles repeat, and a gradient, so some do not; its
// size is no multiple of the tiles'.
QImage tiledTestPicture()
{
    QImage picture(53, 37, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, y < 20 ? qRgb(200, 210, 220) : qRgba(x * 4, y * 6, 90, x < 30 ? 255 : 128));
    }
    return picture;
}

QList<int> g_iconUpdates;
void recordIconUpdate(int index) { g_iconUpdates << index; }

void sendEvent(QWidget *w, QEvent::Type type)
{
    QEvent e(type);
    QCoreApplication::sendEvent(w, &e);
}

void sendFocus(QWidget *w, QEvent::Type type)
{
    QFocusEvent e(type, Qt::TabFocusReason);
    QCoreApplication::sendEvent(w, &e);
}

// The horizontal extent of the pixels that differ between two renderings of
// the same box: where its label text is painted.
QPair<int, int> textExtent(const QImage &a, const QImage &b)
{
    int left = a.width(), right = -1;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
    return qMakePair(left, right);
}

} // namespace

class TestWidgets : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        resetAllGlobals();
        g_iconUpdates.clear();
        mytoolButtonEnter::setDeviceIconUpdater(nullptr);
    }

    void sliderJumpsToTheClickedPlaceAndNotifiesItsParent()
    {
        EventCounter parent;
        MySlider slider(&parent);
        slider.setOrientation(Qt::Horizontal);
        slider.setRange(0, 100);
        slider.setGeometry(0, 0, 200, 20);
        QSignalSpy values(&slider, &QSlider::valueChanged);

        // Truncated, not rounded: the last pixel is 99, not 100.
        QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(199, 10));
        QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(199, 10));
        QCOMPARE(slider.value(), 99);
        QVERIFY(!values.isEmpty());
        QCOMPARE(values.last().at(0).toInt(), 99);
        QCOMPARE(parent.count, 0);   // posted, not sent
        QCoreApplication::processEvents();
        QCOMPARE(parent.count, 1);

        QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(0, 10));
        QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(0, 10));
        QCOMPARE(slider.value(), 0);

        // An offset range: 50 + 350 * 100 / 200.
        slider.setRange(50, 400);
        QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
        QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
        QCOMPARE(slider.value(), 225);
        QCoreApplication::processEvents();
        QCOMPARE(parent.count, 3);
    }

    void comboBoxRemembersItsIndexAndCentresItsText()
    {
        MyConmboBox box;
        box.addItems({"One", "Two", "Three"});
        box.resize(240, 30);
        box.setCurrentIndex(2);
        QCOMPARE(box.pressIndex, 0);
        QTest::mouseClick(&box, Qt::LeftButton, Qt::NoModifier, QPoint(20, 15));
        QCOMPARE(box.pressIndex, 2);
        box.hidePopup();

        // Render with and without a label: the difference is the label.
        auto render = [](MyConmboBox &b, const QString &text) {
            b.setItemText(b.currentIndex(), text);
            return b.grab().toImage();
        };
        QStyleOptionComboBox option;
        option.initFrom(&box);
        option.editable = false;
        const QRect field = box.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                        QStyle::SC_ComboBoxEditField, &box);
        const QImage empty = render(box, QString());
        const QImage full = render(box, "Ab");
        const QPair<int, int> extent = textExtent(empty, full);
        QVERIFY(extent.second >= extent.first);
        const int leftGap = extent.first - field.left();
        const int rightGap = field.right() - extent.second;
        QVERIFY2(qAbs(leftGap - rightGap) <= 4,
                 qPrintable(QString("gaps %1 / %2").arg(leftGap).arg(rightGap)));

        // An editable box paints its text where its line edit puts it: left.
        MyConmboBox editable;
        editable.setEditable(true);
        editable.addItem("One");
        editable.resize(240, 30);
        const QImage editEmpty = [&] { editable.setEditText(QString()); return editable.grab().toImage(); }();
        const QImage editFull = [&] { editable.setEditText("Ab"); return editable.grab().toImage(); }();
        const QPair<int, int> editExtent = textExtent(editEmpty, editFull);
        QVERIFY(editExtent.second >= editExtent.first);
        QVERIFY2(editExtent.first < 30, qPrintable(QString::number(editExtent.first)));
    }

    void lineEditReportsFocusAndTheComboFieldIgnoresKeys()
    {
        QSignalSpy focusIn(PostMsg::instance(), &PostMsg::SigFocusIn);
        QSignalSpy focusOut(PostMsg::instance(), &PostMsg::SigFocusOut);

        MyLineEdit press;
        press.setObjectName("lineEditPress");
        MyLineEdit release;
        release.setObjectName("lineEditRelease");
        MyLineEdit combo;
        combo.setObjectName("lineEdit");

        sendFocus(&press, QEvent::FocusIn);
        sendFocus(&press, QEvent::FocusOut);
        sendFocus(&release, QEvent::FocusIn);
        sendFocus(&release, QEvent::FocusOut);
        sendFocus(&combo, QEvent::FocusIn);
        sendFocus(&combo, QEvent::FocusOut);
        QCOMPARE(focusIn.count(), 2);
        QCOMPARE(focusIn.at(0).at(0).toInt(), 0);
        QCOMPARE(focusIn.at(1).at(0).toInt(), 1);
        QCOMPARE(focusOut.count(), 3);

        // The combination field is filled by its owner only.
        combo.setText("Ctrl + A");
        QTest::keyClick(&combo, Qt::Key_Backspace);
        QTest::keyClick(&combo, Qt::Key_Delete);
        QTest::keyClick(&combo, Qt::Key_Home);
        QTest::keyClick(&combo, Qt::Key_Delete);
        QTest::keyClicks(&combo, "xy");
        QCOMPARE(combo.text(), QString("Ctrl + A"));

        // The other fields still edit normally.
        press.setText("abc");
        QTest::keyClick(&press, Qt::Key_Backspace);
        QTest::keyClicks(&press, "z");
        QCOMPARE(press.text(), QString("abz"));
    }

    void deviceButtonRefreshesTheDeviceOfItsName()
    {
        mytoolButtonEnter button;
        button.setObjectName("btn12");
        sendEvent(&button, QEvent::Enter);   // nobody registered: nothing happens
        QVERIFY(g_iconUpdates.isEmpty());

        mytoolButtonEnter::setDeviceIconUpdater(recordIconUpdate);
        sendEvent(&button, QEvent::Enter);
        sendEvent(&button, QEvent::Leave);
        button.setObjectName("btn");
        sendEvent(&button, QEvent::Enter);
        button.setObjectName("btn3");
        sendEvent(&button, QEvent::Enter);
        QCOMPARE(g_iconUpdates, QList<int>({12, 0, 3}));
    }

    void popupMenuOpensFourPixelsRight()
    {
        PopupMenu menu;
        menu.addAction("One");
        menu.addAction("Two");
        menu.popup(QPoint(100, 120));
        QVERIFY(menu.isVisible());
        QCOMPARE(menu.pos(), QPoint(104, 120));
        menu.hide();
    }

    void pushButtonShowsForbiddenCursorFromTheNextEnter()
    {
        CustomPushButton button;
        QCOMPARE(button.cursor().shape(), Qt::ArrowCursor);

        sendEvent(&button, QEvent::Enter);
        button.setForbidden(true);   // the mouse is already over it
        QCOMPARE(button.cursor().shape(), Qt::ArrowCursor);
        sendEvent(&button, QEvent::Leave);
        sendEvent(&button, QEvent::Enter);
        QCOMPARE(button.cursor().shape(), Qt::ForbiddenCursor);
        sendEvent(&button, QEvent::Leave);
        QCOMPARE(button.cursor().shape(), Qt::ArrowCursor);

        button.setForbidden(false);
        sendEvent(&button, QEvent::Enter);
        QCOMPARE(button.cursor().shape(), Qt::ArrowCursor);

    }

    void headerButtonsReportTheirPair_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pair");
        QTest::newRow("toolButton") << "toolButton" << 0;
        QTest::newRow("ButtonMain_2") << "ButtonMain_2" << 0;
        QTest::newRow("toolButton_2") << "toolButton_2" << 1;
        QTest::newRow("ButtonMain_3") << "ButtonMain_3" << 1;
        QTest::newRow("toolButton_3") << "toolButton_3" << 2;
        QTest::newRow("ButtonMain_4") << "ButtonMain_4" << 2;
        QTest::newRow("pairing button") << "toolButton_4" << -1;
    }

    void headerButtonsReportTheirPair()
    {
        QFETCH(QString, name);
        QFETCH(int, pair);
        SyncedToolButton button;
        button.setObjectName(name);
        QSignalSpy changes(PostMsg::instance(), &PostMsg::SigChangeStyle);
        sendEvent(&button, QEvent::Enter);
        sendEvent(&button, QEvent::Leave);
        if (pair < 0) {
            QCOMPARE(changes.count(), 0);
            return;
        }
        QCOMPARE(changes.count(), 2);
        QCOMPARE(changes.at(0).at(0).toInt(), pair);
        QCOMPARE(changes.at(0).at(1).toBool(), true);
        QCOMPARE(changes.at(1).at(0).toInt(), pair);
        QCOMPARE(changes.at(1).at(1).toBool(), false);
    }

    void hoveredPropertyRestylesOnlyOnChange()
    {
        SyncedToolButton button;
        button.setStyleSheet("SyncedToolButton { color: rgb(0,0,255); }"
                             "SyncedToolButton[isHovered=\"true\"] { color: rgb(255,0,0); }");
        button.ensurePolished();
        QCOMPARE(button.property("isHovered").toBool(), false);
        QCOMPARE(button.palette().color(QPalette::ButtonText), QColor(0, 0, 255));

        QSignalSpy changes(&button, &SyncedToolButton::isHoveredChanged);
        button.setIsHovered(false);
        QCOMPARE(changes.count(), 0);

        QVERIFY(button.setProperty("isHovered", true));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).toBool(), true);
        QCOMPARE(button.property("isHovered").toBool(), true);
        QCOMPARE(button.palette().color(QPalette::ButtonText), QColor(255, 0, 0));

        button.setIsHovered(true);
        QCOMPARE(changes.count(), 1);
        button.setIsHovered(false);
        QCOMPARE(changes.count(), 2);
        QCOMPARE(button.palette().color(QPalette::ButtonText), QColor(0, 0, 255));
    }

    // What a window builds once it is up: nothing before its first paint,
    // then every work in the order asked for (the repair dialogs' signal
    // order rests on it), a work whose owner is gone skipped, a work asked
    // for once the window has painted run after the others without waiting
    // for another paint. A key meant for the window, or a caller that needs
    // the works, has them all run first, before the window has painted.
    void worksAfterTheFirstPaint_data()
    {
        QTest::addColumn<int>("goneOwner");    // -1: none
        QTest::addColumn<QString>("trigger");  // paint, key (to a child) or now
        QTest::addColumn<QString>("expected");

        QTest::newRow("in the order asked for") << -1 << "paint" << "ABCD";
        QTest::newRow("an owner gone") << 1 << "paint" << "ACD";
        QTest::newRow("a key before the paint") << -1 << "key" << "ABCD";
        QTest::newRow("needed before the paint") << 2 << "now" << "ABD";
    }
    void worksAfterTheFirstPaint()
    {
        QFETCH(int, goneOwner);
        QFETCH(QString, trigger);
        QFETCH(QString, expected);

        QWidget window;
        window.resize(120, 80);
        QLineEdit child(&window);
        QString done;
        QObject *owners[3] = {new QObject(&window), new QObject(&window), new QObject(&window)};
        const char names[] = "ABC";
        // The first work asks for one more, which comes after the others.
        runAfterFirstPaint(&window, owners[0], [&] {
            done += names[0];
            runAfterFirstPaint(&window, &window, [&done] { done += 'D'; });
        });
        for (int k = 1; k < 3; ++k)
            runAfterFirstPaint(&window, owners[k], [&done, &names, k] { done += names[k]; });
        if (goneOwner >= 0)
            delete owners[goneOwner];
        QCoreApplication::processEvents();
        QCOMPARE(done, QString());

        if (trigger == "paint") {
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QTRY_COMPARE(done, expected);
            // Asked for now: from the event loop, without another paint.
            PaintCounter paints;
            window.installEventFilter(&paints);
            runAfterFirstPaint(&window, &window, [&done] { done += 'E'; });
            QTRY_COMPARE(done, expected + 'E');
            QCOMPARE(paints.count, 0);
            return;
        }
        if (trigger == "key") {
            QString doneAtKey;
            KeyRecorder keys([&] { doneAtKey = done; });
            child.installEventFilter(&keys);
            QTest::keyClick(&child, Qt::Key_A);
            QCOMPARE(doneAtKey, expected);
        } else {
            runWorksAfterFirstPaintNow(&window);
        }
        QCOMPARE(done, expected);
        // Nothing runs twice once the window paints.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCoreApplication::processEvents();
        QCOMPARE(done, expected);
    }

    // The tiles the build keeps beside a picture give back its pixels; a
    // tiles file that no longer stands for its picture, or does not hold
    // what it says, is not taken (the picture is then decoded).
    void tilesFileStandsForItsPicture_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("taken");
        QTest::newRow("as written") << "" << true;
        QTest::newRow("picture changed since") << "picture" << false;
        QTest::newRow("another tile size") << "tile" << false;
        QTest::newRow("cut short") << "short" << false;
        QTest::newRow("a bytes more") << "long" << false;
        QTest::newRow("a place's tile out of range") << "index" << false;
    }
    void tilesFileStandsForItsPicture()
    {
        QFETCH(QString, damage);
        QFETCH(bool, taken);
        QImage picture = tiledTestPicture();
        QTemporaryDir dir;
        const QString file = dir.filePath("Back.png");
        QVERIFY(picture.save(file));
        QVERIFY(writePictureTiles(file, 16));
        QFile tiles(pictureTilesFile(file));
        QVERIFY(tiles.open(QIODevice::ReadWrite));
        QByteArray bytes = tiles.readAll();
        if (damage == "picture") {
            picture.setPixel(0, 0, qRgb(1, 2, 3));
            QVERIFY(picture.save(file));
        } else if (damage == "short") {
            bytes.chop(3);
        } else if (damage == "long") {
            bytes.append('\0');
        } else if (damage == "index") {
            bytes.replace(bytes.size() - 4, 4, QByteArray("\x00\x00\x01\x00", 4));
        }
        tiles.resize(0);
        tiles.write(bytes);
        tiles.close();

        PictureTiles read;
        QCOMPARE(readPictureTiles(file, damage == "tile" ? 32 : 16, &read), taken);
        if (!taken)
            return;
        QImage whole(read.size, QImage::Format_ARGB32);
        whole.fill(Qt::transparent);
        QPainter painter(&whole);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        const int columns = (read.size.width() + 15) / 16;
        for (int i = 0; i < read.tileAt.size(); ++i)
            painter.drawImage(QPoint(i % columns * 16, i / columns * 16), read.tiles.at(read.tileAt.at(i)));
        painter.end();
        QCOMPARE(whole, picture);
    }

    // A frame's picture painted from tiles shows the pixels the style sheet
    // it replaces showed: centred (cut off on both sides where the picture
    // is larger, by an odd difference too) or stretched to another size.
    void framePictureShowsWhatItsStyleSheetShowed_data()
    {
        QTest::addColumn<QSize>("frameSize");
        QTest::addColumn<bool>("stretch");
        QTest::newRow("centred, the picture's size") << QSize(53, 37) << false;
        QTest::newRow("centred, smaller frame") << QSize(40, 30) << false;
        QTest::newRow("centred, larger frame") << QSize(70, 44) << false;
        QTest::newRow("centred, larger by odd sizes") << QSize(71, 45) << false;
        QTest::newRow("stretched, the picture's size") << QSize(53, 37) << true;
        QTest::newRow("stretched, another size") << QSize(90, 20) << true;
    }
    void framePictureShowsWhatItsStyleSheetShowed()
    {
        QFETCH(QSize, frameSize);
        QFETCH(bool, stretch);
        QImage picture = tiledTestPicture();
        QTemporaryDir dir;
        const QString file = dir.filePath("Back.png");
        QVERIFY(picture.save(file));

        const auto shown = [&](bool tiled) {
            QWidget window;
            window.setStyleSheet("QWidget{background-color: rgb(10,20,30);}");
            QFrame frame(&window);
            frame.setObjectName("Frame");
            frame.setGeometry(QRect(QPoint(0, 0), frameSize));
            if (tiled)
                showFramePicture(&frame, file, stretch ? PageBackground::Stretch : PageBackground::Centre);
            else
                frame.setStyleSheet("#Frame{border:0px;background-position:center;background-repeat:no-repeat;"
                                    + QString(stretch ? "border-image" : "background-image") + ": url(" + file + ");}");
            window.resize(frameSize);
            return window.grab().toImage();
        };
        QCOMPARE(shown(true), shown(false));
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"

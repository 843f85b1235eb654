// Renders the program's dialogs, and the classes no window of the program
// opens, into pictures to look at (the macro list's row widgets show on the
// device page itself): scripts/screenshots.sh runs it once per
// language and colour set. Each class is built as the program (or, for the
// classes without an owner, a test) builds it, shown on the X display,
// grabbed and laid on a grey backdrop, so that a translucent dialog looks as
// it does over a desktop. Built only for that script; the program itself
// gains no way to open anything.
//
//   shotharness <output folder> <language 0|1> <colour set 1|2>

#include "adddelaytime.h"
#include "adddpivalue.h"
#include "addkey.h"
#include "colorselect.h"
#include "configsettings.h"
#include "containreset.h"
#include "debouncetime.h"
#include "debouncetimeb.h"
#include "debouncetimec.h"
#include "deleteconfirm.h"
#include "devicestate.h"
#include "flashdatamap.h"
#include "exeisrun.h"
#include "findnewver.h"
#include "firekey.h"
#include "globals.h"
#include "groupkey.h"
#include "groupmaxthree.h"
#include "inportfail.h"
#include "inputpica.h"
#include "inputpicb.h"
#include "keynumberlimit.h"
#include "lamplight.h"
#include "languageloader.h"
#include "ledinfo.h"
#include "leftbuttononly.h"
#include "lesstensecond.h"
#include "lessthree.h"
#include "lightmodeset.h"
#include "macro.h"
#include "macrolist.h"
#include "makemacro.h"
#include "match.h"
#include "motionsync.h"
#include "motionsyncb.h"
#include "mouseoffline.h"
#include "questiondialog.h"
#include "questiondialogb.h"
#include "repair.h"
#include "rippecontrol.h"
#include "rippecontrolb.h"
#include "samemacro.h"
#include "sensor.h"
#include "sensorcodes.h"
#include "sensordpib.h"
#include "sensoreffect.h"
#include "sensoreffectb.h"
#include "sensorlod.h"
#include "sensorrateb.h"
#include "stopclosetimeb.h"
#include "straightline.h"
#include "straightlineb.h"
#include "updataparam.h"
#include "updaterepair.h"
#include "updatewarning.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

struct Shot {
    const char *name;
    std::function<QWidget *()> make;
};

// The update dialog's updating view after these progress reports (a
// percentage, or a device code and an end view).
std::function<QWidget *()> updatingAfter(std::vector<std::pair<int, int>> reports)
{
    return [reports] {
        auto *d = new UpDateRepair;
        d->resetView();
        d->showUpdatingView();
        for (const auto &report : reports)
            d->SlotProgress(report.first, report.second);
        return d;
    };
}

// Lets the window settle (shown, laid out, painted) without a nested loop
// per widget of its own.
void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

QString sensorText(int position)
{
    return langText(g_langSensor, g_language, position);
}

// A widget with the caption its owner would give it.
template <class W>
W *withText(W *w, const QString &text)
{
    w->setText(text);
    return w;
}

// A light effect box with the texts the pointer page gives it: mode 0 off,
// 1 steady, 2 breathing.
template <class E>
E *withEffectTexts(E *w)
{
    w->setTitle(sensorText(15));
    w->setSpeedText(sensorText(19));
    w->setBrightnessText(sensorText(20));
    w->setModeText(0, langText(g_langFormSetting, g_language, 51));
    w->setModeText(1, sensorText(17));
    w->setModeText(2, sensorText(18));
    return w;
}

// The mouse of colour set c, as choosing its card on the list makes it: its
// model, its colours and its DPI ranges.
void chooseMouse(int colourSet)
{
    const QString group = "Drive" + QString::number(colourSet);
    ConfigSettings *config = ConfigSettings::instance();
    g_deviceMid = config->readString(group, "MID").toInt();
    g_selectedDevice = DeviceAllInfo();
    g_selectedDevice.driveIndex = colourSet - 1;
    g_selectedDevice.linkType = colourSet == 2 ? 5 : 1;
    g_selectedDevice.mid = u8(g_deviceMid);
    loadThemeColorSet(config->readString(group, "ColorKey").toInt());
    setDpiRanges(parseDpiRanges(config->readStringList(group, "DPIRange")));
}

// A dialog whose language slot nothing connects, as a call of it leaves it.
template <typename T> T *translated()
{
    auto *d = new T;
    d->SlotAllLanguage(g_language);
    return d;
}

void putMacroFiles()
{
    const QString folder = userDataDir() + "/usersetting/MacroPage";
    QDir().mkpath(folder);
    const QStringList files = {"Jump.ini=1\n0x04 1 0\n25ms\n0x04 1 1\n10ms\n",
                               "Reload.ini=254\n0x15 1 0\n40ms\n0x15 1 1\n10ms\n"};
    for (const QString &entry : files) {
        QFile file(folder + "/" + entry.section('=', 0, 0));
        if (file.open(QIODevice::WriteOnly))
            file.write(entry.section('=', 1).toUtf8());
    }
}

std::vector<Shot> shots()
{
    return {
        // Notices and questions the pages open.
        {"ContainReset", [] {
             auto *d = new ContainReset;
             return d;
         }},
        {"DeleteConfirm", [] { return new DeleteConfirm; }},
        {"ExeIsRun-first", [] {
             auto *d = new ExeIsRun;
             d->showFirstText();
             return d;
         }},
        {"ExeIsRun-second", [] {
             auto *d = new ExeIsRun;
             d->showSecondText();
             return d;
         }},
        {"FindNewVer", [] { return new FindNewVer; }},
        {"GroupMaxThree", [] { return new GroupMaxThree; }},
        {"InportFail-file", [] {
             g_importResult = 1;
             return new InportFail;
         }},
        {"InportFail-device", [] {
             g_importResult = 2;
             return new InportFail;
         }},
        {"KeyNumberLimit", [] { return new KeyNumberLimit; }},
        {"LeftButtonOnly", [] { return new LeftButtonOnly; }},
        {"LessTenSecond", [] { return new LessTenSecond; }},
        {"LessThree", [] { return new LessThree; }},
        {"LessThree-performance", [] {
             auto *d = new LessThree;
             d->setText(langText(g_langLight, g_language, 1));
             return d;
         }},
        {"LessThree-20K", [] {
             auto *d = new LessThree;
             d->setText(langText(g_langLight, g_language, 29));
             return d;
         }},
        {"MakeMacro", [] { return new MakeMacro; }},
        {"MouseOffLine", [] { return new MouseOffLine; }},
        {"QuestionDialog-new", [] {
             auto *d = new QuestionDialog;
             d->setTextIndex(false);
             return d;
         }},
        {"QuestionDialog-typed", [] {
             auto *d = new QuestionDialog;
             d->setTextIndex(false);
             auto *field = d->findChild<QLineEdit *>("lineEdit");
             field->setText("Jump");
             // Shown as typed: no selection, no cursor over the name.
             QTimer::singleShot(100, field, [field] {
                 field->deselect();
                 field->clearFocus();
             });
             return d;
         }},
        {"QuestionDialog-rename", [] {
             auto *d = new QuestionDialog;
             d->setTextIndex(true);
             return d;
         }},
        {"QuestiondialogB", [] { return new QuestiondialogB; }},
        {"RePair", [] { return new RePair; }},
        {"SameMacro", [] { return new SameMacro; }},
        {"UpDateWarning", [] {
             auto *d = new UpDateWarning;
             // The settings page's text, as the program has it by then.
             d->setText(langText(g_langFormSetting, g_language, 14));
             return d;
         }},
        {"UpDataParam", [] { return new UpDataParam; }},
        // Key entry.
        {"GroupKey", [] { return new GroupKey; }},
        {"addKey", [] { return new addKey; }},
        {"FireKey", [] { return new FireKey; }},
        {"AddDelayTime", [] {
             auto *d = new AddDelayTime;
             d->setValueText("25");
             return d;
         }},
        // Macros.
        {"MacroList", [] { return new MacroList; }},
        {"Macro", [] {
             auto *page = new Macro;
             page->findChild<QListWidget *>("listWidgetHong")->setCurrentRow(0);
             page->on_listWidgetHong_clicked(QModelIndex());
             return page;
         }},
        // Pairing and firmware.
        {"Match", [] {
             auto *d = new Match;
             d->init();
             return d;
         }},
        {"UpDateRepair-ready", [] {
             auto *d = new UpDateRepair;
             d->resetView();
             d->showReadyView();
             return d;
         }},
        {"UpDateRepair-updating", updatingAfter({{40, ProgressBar}})},
        {"UpDateRepair-done", updatingAfter({{100, ProgressCompleted}})},
        // The end views that name the device that is not right.
        {"UpDateRepair-failed-receiver", updatingAfter({{17, ProgressBar}, {kReceiverDeviceCode, ProgressFailed}})},
        {"UpDateRepair-unchanged-mouse", updatingAfter({{kMouseDeviceCode, ProgressUnchanged}})},
        // A step that wrote nothing: the device there is not the confirmed
        // one, more than one could take the image, or it is not there.
        {"UpDateRepair-wrong-mouse", updatingAfter({{50, ProgressBar}, {kMouseDeviceCode, ProgressWrongDevice}})},
        {"UpDateRepair-wrong-receiver", updatingAfter({{kReceiverDeviceCode, ProgressWrongDevice}})},
        {"UpDateRepair-several-mice", updatingAfter({{50, ProgressBar}, {kMouseDeviceCode, ProgressSeveral}})},
        {"UpDateRepair-absent-mouse", updatingAfter({{50, ProgressBar}, {kMouseDeviceCode, ProgressAbsent}})},
        {"UpDateRepair-absent-receiver", updatingAfter({{kReceiverDeviceCode, ProgressAbsent}})},
        {"UpDateRepair-silent-receiver", updatingAfter({{20, ProgressBar}, {kReceiverDeviceCode, ProgressSilent}})},
        {"UpDateRepair-no-answer", updatingAfter({{0, ProgressNoAnswer}})},
        {"UpDateRepair-no-receiver-image", updatingAfter({{100, ProgressBar}, {kReceiverDeviceCode, ProgressNoImage}})},
        // The check's view with a mouse of another model on the cable.
        {"UpDateRepair-foreign-mouse", [] {
             auto *d = new UpDateRepair;
             d->resetView();
             d->setStateText(langText(g_langAutoRepair, g_language, 14));
             d->showErrorView();
             return d;
         }},
        // DPI levels.
        // As an owner would set it up (no window creates it): the ranges of
        // the mouse, eight levels in use, the page title.
        {"SensorDPIB", [] {
             auto *page = new SensorDPIB;
             const DpiRangeTable ranges = currentDpiRanges();
             if (!ranges.ranges.isEmpty()) {
                 page->setMinimum(ranges.ranges.first().low);
                 page->setMaximum(ranges.ranges.last().high);
             }
             page->loadDpiSettings();
             page->clearChooseEvent();
             for (int i = 0; i < kDpiLevelCount; ++i)
                 page->insertChooseEventItem(i, QString::number(i + 1));
             page->findChild<QComboBox *>("ChooseEvent")->setCurrentIndex(7);
             page->setSubtitleText(sensorText(0));
             return page;
         }},
        {"AddDpiValue", [] {
             auto *d = new AddDpiValue;
             d->setValue(1600);
             return d;
         }},
        {"ColorSelect", [] { return new ColorSelect; }},
        // The option widgets' variants, with the texts the device page gives
        // the widgets they stand in for.
        {"SensorRateB", [] { return withText(new SensorRateB, sensorText(1)); }},
        {"SensorLOD", [] {
             auto *w = new SensorLOD;
             w->setText(sensorText(4));
             w->setToolTip(sensorText(22));
             return w;
         }},
        {"StopCloseTimeB", [] {
             auto *w = new StopCloseTimeB;
             for (int option = 0; option < 6; ++option)
                 w->setItemText(option, langText(g_langLight, g_language, 12 + option));
             w->setItemText(6, langText(g_langFormSetting, g_language, 40));
             w->setCurrentIndex(3);
             return w;
         }},
        {"MotionSync", [] { return withText(new MotionSync, sensorText(8)); }},
        {"MotionSyncB", [] { return withText(new MotionSyncB, sensorText(8)); }},
        {"RippeControlB", [] { return withText(new RippeControlB, sensorText(6)); }},
        {"StraightLineB", [] { return withText(new StraightLineB, sensorText(7)); }},
        // The stand-alone pages and widgets.
        {"Sensor", [] {
             auto *page = new Sensor;
             page->SlotFormReset();
             return page;
         }},
        {"SensorEffect", [] { return withEffectTexts(new SensorEffect); }},
        {"SensorEffectB", [] {
             // As the pointer page fills it: mode 0 is off, 1 steady, 2
             // breathing; then a mouse whose light is steady.
             auto *w = withEffectTexts(new SensorEffectB);
             w->setMode(1);
             w->setSpeed(3);
             w->setBrightnessLevel(5);
             return w;
         }},
        {"DebounceTime", [] {
             auto *w = new DebounceTime;
             for (int ms = 0; ms <= 20; ++ms)
                 w->setItemText(ms, "ms");
             return w;
         }},
        {"DebouncetimeB", [] {
             auto *w = new DebouncetimeB;
             w->setText(langText(g_langButtoninterface, g_language, 43));
             return w;
         }},
        {"DebouncetimeC", [] {
             auto *w = new DebouncetimeC;
             w->setItemText(0, "ms");
             return w;
         }},
        // Lighting.
        // The lighting page with a mode that shows every control; the
        // dialogs below have a language slot that nothing connects, so they
        // are shown as a call of it leaves them.
        {"LampLight", [] { return new LampLight; }},
        {"LampLight-breathing", [] {
             auto *page = new LampLight;
             page->findChild<QComboBox *>("LightMod")->setCurrentIndex(2);
             return page;
         }},
        {"LedInfo", [] {
             auto *d = translated<LedInfo>();
             DongleRGB record{};
             record.ledMode = 2;
             d->SlotRGBValue(&record);
             return d;
         }},
        {"LightModeSet", [] { return translated<LightModeSet>(); }},
        {"LightModeSet-steady", [] {
             auto *d = translated<LightModeSet>();
             d->findChild<QComboBox *>("LightMod")->setCurrentIndex(3);
             return d;
         }},
        {"InputPicA", [] { return translated<InputPicA>(); }},
        {"InputPicB", [] { return translated<InputPicB>(); }},
    };
}

// The widget as it shows, on a grey backdrop with a margin.
QImage picture(QWidget *w)
{
    const QPixmap shot = w->grab();
    const int margin = 16;
    QImage out(shot.width() + 2 * margin, shot.height() + 2 * margin, QImage::Format_RGB32);
    out.fill(QColor(128, 132, 140));
    QPainter painter(&out);
    painter.drawPixmap(margin, margin, shot);
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, false);
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: shotharness <output folder> <language 0|1> <colour set 1|2>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    const int language = QString(argv[2]).toInt();
    const int colourSet = QString(argv[3]).toInt() == 2 ? 2 : 1;

    registerDeviceMetaTypes();
    LanguageLoader().LanguageTextLoader();
    g_language = language;
    chooseMouse(colourSet);
    putMacroFiles();

    const QString prefix = QString("%1-set%2-").arg(language == 1 ? "zh" : "en").arg(colourSet);
    int saved = 0;
    for (const Shot &shot : shots()) {
        std::unique_ptr<QWidget> w(shot.make());
        w->move(40, 40);
        w->show();
        settle(150);
        const QString file = out + "/" + prefix + shot.name + ".png";
        if (picture(w.get()).save(file))
            ++saved;
        else
            std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        w->hide();
        settle(20);
    }
    std::printf("%d pictures in %s\n", saved, qPrintable(out));
    return 0;
}

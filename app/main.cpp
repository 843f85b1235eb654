#include "crashdump.h"
#include "exeisrun.h"
#include "globals.h"
#include "macrosettings.h"
#include "postmsg.h"
#include "screenmetrics.h"
#include "startup.h"

#include <QApplication>
#include <QFontDatabase>
#include <QSharedMemory>
#include <QWidget>

namespace {

// Placeholder for the top-level window until DialogMain exists: a plain,
// empty window with the product's name, so start-up runs end to end.
QWidget *createTopLevelWindow()
{
    QWidget *window = new QWidget(nullptr);
    window->setWindowTitle(g_productName);
    window->resize(1200, 780);
    return window;
}

} // namespace

int main(int argc, char *argv[])
{
    const QString dataDir = userDataDir();
    createUserFolders(dataDir);
    CrashHandler::install();

    // The program scales itself from the desktop size instead of following
    // the toolkit's automatic scaling.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, false);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, false);
    const QSize desktop = desktopPixelSize();
    applyScaleFactor(desktop.width(), desktop.height());

    removeOldFiles(dataDir + QStringLiteral("/Log"));
    removeOldFiles(dataDir + QStringLiteral("/Exception"));

    QApplication app(argc, argv);
    registerDeviceMetaTypes();

    QFontDatabase::addApplicationFont(programDir() + QStringLiteral("/font/Montserrat-SemiBold.ttf"));
    const float fontFactor = fontFactorForDpi(logicalScreenDpi());

    // Held for the whole life of the process; the system drops our
    // attachment when the process ends.
    QSharedMemory *instanceMarker = new QSharedMemory(instanceMarkerKey());
    if (!claimInstanceMarker(*instanceMarker)) {
        ExeIsRun *notice = new ExeIsRun(nullptr);
        notice->exec();
        delete notice;
        return 0;
    }

    QWidget *window = createTopLevelWindow();
    scaleWidgetFonts(window, fontFactor);
    window->show();

    if (MacroSettings::instance()->readString(QStringLiteral("AutoMin"), QStringLiteral("Enable")).toInt() == 1
        && window->isVisible())
        PostMsg::instance()->postChangeSize(2);

    return app.exec();
}

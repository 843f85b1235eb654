#include "dialogmain.h"
#include "exeisrun.h"
#include "globals.h"
#include "keyhooklayer.h"
#include "macrosettings.h"
#include "postmsg.h"
#include "screenmetrics.h"
#include "startup.h"
#include "widgetfonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QSharedMemory>

#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char *argv[])
{
#ifdef __GLIBC__
    // Blocks of 128 KiB and more (decoded pictures, pictures converted for
    // the screen) are mapped of their own and go back to the system when
    // freed. Left alone, the C library raises that limit to the size of the
    // largest such block freed so far; the next picture of that size then
    // lands in the heap and, once freed below smaller blocks still in use,
    // stays resident: some 5 MB after the page backgrounds were decoded.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    const QString dataDir = userDataDir();
    createUserFolders(dataDir);

    // The program scales itself from the desktop size instead of following
    // the toolkit's automatic scaling.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, false);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, false);
    const QSize desktop = desktopPixelSize();
    applyScaleFactor(desktop.width(), desktop.height());

    removeOldFiles(dataDir + QStringLiteral("/Log"));
    removeOldFiles(dataDir + QStringLiteral("/Exception"));

    // The windows are plain widgets: the X11 OpenGL integration would only
    // load the GL stack (some 45 MB resident) for nothing.
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    std::thread fontConfiguration = startLoadingFontConfiguration();
    QApplication app(argc, argv);
    if (fontConfiguration.joinable())
        fontConfiguration.join();
    // The desktop entry finds the program's windows by this class, whether
    // the program was started as its file ("Quzmar") or its link ("quzmar");
    // task bars and window switchers show the icon.
    QCoreApplication::setApplicationName(QStringLiteral("quzmar"));
    QApplication::setWindowIcon(QIcon(programDir() + QStringLiteral("/Picture/Dialog/Logo.png")));
    registerDeviceMetaTypes();
    // Key entry hears keys through hooks fed from every window's key events.
    installLowLevelKeyEventFilter();

    QFontDatabase::addApplicationFont(programDir() + QStringLiteral("/font/Montserrat-SemiBold.ttf"));
    const float fontFactor = fontFactorForDpi(logicalScreenDpi());

    // Held for the whole life of the process and given up as it ends; the
    // segment of a process that was killed is recognised by the next start.
    QSharedMemory *instanceMarker = new QSharedMemory(instanceMarkerKey());
    if (!claimInstanceMarker(*instanceMarker)) {
        ExeIsRun *notice = new ExeIsRun(nullptr);
        notice->exec();
        delete notice;
        return 0;
    }

    // The window lives until the process ends.
    DialogMain *window = new DialogMain(nullptr);
    scaleWidgetFonts(window, fontFactor);
    window->show();

    if (MacroSettings::instance()->readString(QStringLiteral("AutoMin"), QStringLiteral("Enable")).toInt() == 1
        && window->isVisible())
        PostMsg::instance()->postChangeSize(2);

    const int status = app.exec();
    releaseInstanceMarker(instanceMarker);
    return status;
}

#ifndef PROGRAMSERVICES_H
#define PROGRAMSERVICES_H

// The few services of the program that the formats use: where its folders
// are and the names the button page gives the mouse buttons in each loaded
// language. The formats stand below the program's services (app/) and
// include nothing of them: app/ hands these down as its globals are made
// (app/globals.cpp), before main() runs, in the program, the tests and the
// tools alike. They are calls, not values: a test points the program folder
// elsewhere, and the language files are loaded later. Until they are handed
// down the folders are empty and no language is loaded.

#include "keytables.h"

#include <QString>
#include <QVector>

class ProgramServices
{
public:
    struct Calls {
        QString (*programDir)() = nullptr;
        QString (*userDataDir)() = nullptr;
        QVector<MouseButtonNames> (*mouseButtonNamesByLanguage)() = nullptr;
    };
    static void handDown(const Calls &calls);

    // The program folder: the sensor definitions, the macro rows' pictures.
    static QString programDir();
    // The per-user data folder: the macro folder lies below it.
    static QString userDataDir();
    // The button page's mouse-button names in every loaded language, in
    // language order.
    static QVector<MouseButtonNames> mouseButtonNamesByLanguage();

private:
    static Calls &calls();
};

#endif // PROGRAMSERVICES_H

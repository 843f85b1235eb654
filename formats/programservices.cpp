#include "programservices.h"

ProgramServices::Calls &ProgramServices::calls()
{
    // Made on first use: app/ hands the calls down from a static initialiser
    // of its own, whose order against this file's is not fixed.
    static Calls handedDown;
    return handedDown;
}

void ProgramServices::handDown(const Calls &handed)
{
    calls() = handed;
}

QString ProgramServices::programDir()
{
    return calls().programDir ? calls().programDir() : QString();
}

QString ProgramServices::userDataDir()
{
    return calls().userDataDir ? calls().userDataDir() : QString();
}

QVector<MouseButtonNames> ProgramServices::mouseButtonNamesByLanguage()
{
    return calls().mouseButtonNamesByLanguage ? calls().mouseButtonNamesByLanguage() : QVector<MouseButtonNames>();
}

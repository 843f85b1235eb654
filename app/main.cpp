#include "globals.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    registerDeviceMetaTypes();
    return 0;
}

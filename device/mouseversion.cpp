#include "mouseversion.h"

#include "registry.h"

QString mouseVersionValueName(const QString &cidText, const QString &midText)
{
    return "MouseVer" + cidText + midText;
}

QString readMouseVersion(const QString &cidText, const QString &midText)
{
    return RegistryKey(RegistryKey::deviceRecordsKeyPath()).value(mouseVersionValueName(cidText, midText)).toString();
}

void writeMouseVersion(const QString &cidText, const QString &midText, const QString &versionText)
{
    RegistryKey(RegistryKey::deviceRecordsKeyPath()).setValue(mouseVersionValueName(cidText, midText), versionText);
}

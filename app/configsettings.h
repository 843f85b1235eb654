#ifndef CONFIGSETTINGS_H
#define CONFIGSETTINGS_H

// The product configuration: "usersetting/Config.ini" of the program folder,
// shipped with the program and only read (its write and remove are kept for
// tools). Thirteen of its keys hold Base64 text: readString() and
// readStringList() hand them back decoded.

#include "inistore.h"

class ConfigSettings : public ProcessIniStore<ConfigSettings>
{
public:
    // Base64 of UTF-8 text back to text. No line feeds or blanks are
    // removed here; the reads do that for the encoded keys.
    static QString decodeBase64(QString text);
    // True for the thirteen keys stored as Base64.
    static bool isEncodedKey(const QString &key);

private:
    friend class ProcessIniStore<ConfigSettings>;
    static std::mutex &creationMutex();
    ConfigSettings();
    ~ConfigSettings() override = default;

    QString decoded(const QString &key, const QString &text) const override;
};

// Replaces the theme by colour set c of Config.ini ("ColorSet<c>"), whole
// values as read.
void loadThemeColorSet(int c);

#endif // CONFIGSETTINGS_H

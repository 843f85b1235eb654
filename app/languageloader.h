#ifndef LANGUAGELOADER_H
#define LANGUAGELOADER_H

// Fills the 32 page text tables g_lang<Page> (globals.h) from the language
// files of the program folder: "/Language/0-English.xml" ..
// "/Language/19-Vietnamese.xml", then "/Language/Net.xml".

#include "globals.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <QXmlStreamReader>

// One page element of the language files: its name, its keys in position
// order (the last one ends an entry) and the table it fills.
struct LanguagePage {
    QString name;
    QStringList keys;
    LanguageTextTable *table;
};

// The 32 pages in the order the dispatcher compares their names.
const QVector<LanguagePage> &languagePages();

// Number of language files the program knows (0 English .. 19 Vietnamese).
constexpr int kLanguageFileCount = 20;

class LanguageLoader
{
public:
    // Reads every language file in order, then Net.xml. The first file that
    // cannot be opened ends the whole load. Call once, before any window
    // reads a table.
    void LanguageTextLoader();

    // programDir() + "/Language/<n>-<Name>.xml"; empty for an index outside
    // 0..19.
    static QString languageFilePath(int index);
    // programDir() + "/Language/Net.xml".
    static QString netFilePath();

private:
    void loadFile(const QString &rootName);
    void loadLanguagePage();
    void parsePage(const LanguagePage &page);
    void skipElement();

    QXmlStreamReader m_reader;
};

// Empties all 32 tables (the state before the first load).
void clearLanguageTables();

// The number of languages every language page holds an entry for: the
// smallest entry count over the 31 pages of the language files (the maker
// page of Net.xml is not counted).
int loadedLanguageCount();

// A stored language index that the loaded files cannot serve (negative, or
// at or past loadedLanguageCount()) gives 0, English; a usable one is
// returned unchanged.
int clampLanguageIndex(int index);
// Applies clampLanguageIndex() to g_language.
void clampCurrentLanguage();

// Shows the toolkit's own texts (its file dialogs, standard buttons, the
// context menus of edit fields) in language `index`: Qt's "qtbase"
// catalogue for it from the toolkit's translations folder. English, and a
// language without a catalogue there, leave them as the toolkit writes
// them.
void useToolkitLanguage(int index);

// The language switch of the frame's language box and of the settings page:
// stores `index` in the user settings, makes it the current language, shows
// the toolkit's texts in it and has every window take its texts again
// (SigAllLanguage).
void switchLanguage(int index);

#endif // LANGUAGELOADER_H

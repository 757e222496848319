// Message catalogue: every user-visible text, by number, in English and
// Japanese. The tables are compiled-in resource files (resources/messages_*.txt).
#pragma once

#include <QList>
#include <QString>
#include <QVariantList>

enum class CatalogueLanguage { English, Japanese };

// Chooses the table from the environment: TQ7350_LANG ("en", or "ja"/"jp")
// wins, otherwise the platform's UI locale (a Japanese locale gives Japanese).
// Until a language is chosen the catalogue speaks English.
void SelectCatalogueLanguage();
// Forces a language (tests, screenshots, a command-line option).
void SetCatalogueLanguage(CatalogueLanguage language);
CatalogueLanguage CurrentCatalogueLanguage();

// The text with the given number in the language in use, placeholders
// ("~1".."~9", "~c", "~t") expanded. A number the Japanese table lacks falls
// back to the English text; a number missing from both gives the visible
// marker "[#<number>]".
QString LoadMessage(int id, const QVariantList& args = {});

// The application title (kMsgAppTitle).
QString AppTitle();

// Fills the placeholders of a text: "~c"/"~C" give CR LF, "~t"/"~T" a TAB,
// "~1".."~9" the matching argument (nothing when it is missing), "~0" and "~"
// with any other character vanish, and so does a "~" at the very end. Inserted
// arguments are copied as they are and never scanned for placeholders.
QString ExpandPlaceholders(const QString& text, const QVariantList& args);

// The numbers held by one language's table, ascending (consistency checks).
QList<int> CatalogueNumbers(CatalogueLanguage language);

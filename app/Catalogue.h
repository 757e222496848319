// Message catalogue: every user-visible text, by number, in English and
// Japanese. The tables are compiled-in resource files (resources/messages_*.txt).
#pragma once

#include <QString>
#include <QVariantList>

enum class CatalogueLanguage { English, Japanese };

// Chooses the table from the environment: TQ7350_LANG ("en"/"ja") wins,
// otherwise the platform's UI locale (a Japanese locale gives Japanese).
void SelectCatalogueLanguage();
// Forces a language (tests, screenshots, a command-line option).
void SetCatalogueLanguage(CatalogueLanguage language);
CatalogueLanguage CurrentCatalogueLanguage();

// The text with the given number in the language in use, placeholders
// ("~1".."~9", "~c", "~t") expanded. A number missing from the table gives a
// visible marker naming the number.
QString LoadMessage(int id, const QVariantList& args = {});

// Text 5001, the application title.
QString AppTitle();

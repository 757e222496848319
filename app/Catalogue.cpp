// Message catalogue: the English and Japanese tables are UTF-8 text resources,
// one "number<TAB>text" entry per line, parsed once on first use.
#include "app/Catalogue.h"
#include "app/MessageIds.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QStringList>
#include <QtGlobal>

#include <algorithm>
#include <atomic>

namespace {

using Table = QHash<int, QString>;

struct Tables {
    Table english;
    Table japanese;
};

// Text numbers are 16-bit; anything else on a line is a typing error.
constexpr int kLowestNumber = 0;
constexpr int kHighestNumber = 65535;

// Reads one table. Comment lines ("#") and blank lines are skipped. The text
// is everything after the first TAB, so leading and trailing blanks survive;
// only a CR left over from CR LF line ends is dropped. A malformed line or a
// repeated number is reported and skipped (the first entry of a number wins).
Table ParseTable(const QString& resource) {
    Table table;
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Message catalogue %s cannot be opened", qPrintable(resource));
        return table;
    }
    const QString content = QString::fromUtf8(file.readAll());
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int tab = line.indexOf(QLatin1Char('\t'));
        bool ok = false;
        const int number = tab > 0 ? line.left(tab).trimmed().toInt(&ok) : 0;
        if (!ok || number < kLowestNumber || number > kHighestNumber) {
            qWarning("Message catalogue %s line %d is not \"number<TAB>text\"",
                     qPrintable(resource), i + 1);
            continue;
        }
        if (table.contains(number)) {
            qWarning("Message catalogue %s line %d repeats number %d", qPrintable(resource), i + 1,
                     number);
            continue;
        }
        table.insert(number, line.mid(tab + 1));
    }
    return table;
}

const Tables& CatalogueTables() {
    // Initialised once, on first use; a function-local static is safe even if
    // a second thread ever asked at the same moment.
    static const Tables tables{ParseTable(QStringLiteral(":/messages/messages_en.txt")),
                               ParseTable(QStringLiteral(":/messages/messages_ja.txt"))};
    return tables;
}

std::atomic<CatalogueLanguage> g_language{CatalogueLanguage::English};

bool IsJapaneseLocale() {
    const QLocale system = QLocale::system();
    const QStringList preferred = system.uiLanguages();
    if (!preferred.isEmpty())
        return QLocale(preferred.first()).language() == QLocale::Japanese;
    return system.language() == QLocale::Japanese;
}

} // namespace

void SelectCatalogueLanguage() {
    const QString wanted = qEnvironmentVariable("TQ7350_LANG").trimmed().toLower();
    if (wanted == QLatin1String("en")) {
        SetCatalogueLanguage(CatalogueLanguage::English);
        return;
    }
    if (wanted == QLatin1String("ja") || wanted == QLatin1String("jp")) {
        SetCatalogueLanguage(CatalogueLanguage::Japanese);
        return;
    }
    SetCatalogueLanguage(IsJapaneseLocale() ? CatalogueLanguage::Japanese
                                            : CatalogueLanguage::English);
}

void SetCatalogueLanguage(CatalogueLanguage language) {
    g_language.store(language);
}

CatalogueLanguage CurrentCatalogueLanguage() {
    return g_language.load();
}

QString ExpandPlaceholders(const QString& text, const QVariantList& args) {
    // One pass from left to right. Every code before the current position has
    // already been replaced and the replacements hold no "~" of their own, so
    // this gives the same result as searching again from the start after each
    // replacement, except that a "~" inside an argument (a user or station
    // name, a file name) is left as it is instead of being taken for a code.
    const int first = text.indexOf(QLatin1Char('~'));
    if (first < 0)
        return text;
    QString result;
    result.reserve(text.size() + 16);
    result.append(QStringView(text).left(first));
    for (int i = first; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('~')) {
            result.append(c);
            continue;
        }
        if (i + 1 >= text.size())
            break; // a "~" at the very end is dropped
        const char16_t code = text.at(++i).unicode();
        if (code == u'c' || code == u'C') {
            result.append(QLatin1String("\r\n"));
        } else if (code == u't' || code == u'T') {
            result.append(QLatin1Char('\t'));
        } else if (code >= u'1' && code <= u'9') {
            const int index = int(code - u'1');
            if (index < args.size())
                result.append(args.at(index).toString());
        }
        // "~0" and "~" with any other character leave nothing behind.
    }
    return result;
}

QString LoadMessage(int id, const QVariantList& args) {
    const Tables& tables = CatalogueTables();
    const Table& inUse = CurrentCatalogueLanguage() == CatalogueLanguage::Japanese ? tables.japanese
                                                                                   : tables.english;
    auto found = inUse.constFind(id);
    if (found == inUse.constEnd()) {
        found = tables.english.constFind(id);
        if (found == tables.english.constEnd())
            return QStringLiteral("[#%1]").arg(id);
    }
    return ExpandPlaceholders(found.value(), args);
}

QString AppTitle() {
    return LoadMessage(kMsgAppTitle, {});
}

QList<int> CatalogueNumbers(CatalogueLanguage language) {
    const Tables& tables = CatalogueTables();
    const Table& table = language == CatalogueLanguage::Japanese ? tables.japanese : tables.english;
    QList<int> numbers = table.keys();
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

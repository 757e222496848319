// Message catalogue: table contents, placeholder expansion, language choice.
#include "app/Catalogue.h"

#include "common/TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

#include <map>

namespace {

// Keeps the language and TQ7350_LANG of the test program as they were.
class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedLanguage_ = CurrentCatalogueLanguage();
        hadEnv_ = qEnvironmentVariableIsSet("TQ7350_LANG");
        savedEnv_ = qgetenv("TQ7350_LANG");
        SetCatalogueLanguage(CatalogueLanguage::English);
    }
    void TearDown() override {
        if (hadEnv_)
            qputenv("TQ7350_LANG", savedEnv_);
        else
            qunsetenv("TQ7350_LANG");
        SetCatalogueLanguage(savedLanguage_);
    }

private:
    CatalogueLanguage savedLanguage_ = CatalogueLanguage::English;
    bool hadEnv_ = false;
    QByteArray savedEnv_;
};

// An independent reading of a resource table: number -> raw text, plus the
// count of entry lines so that repeated numbers show up.
struct RawTable {
    std::map<int, QString> texts;
    int entryLines = 0;
};

RawTable ReadRaw(const QString& resource) {
    RawTable raw;
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return raw;
    for (QString line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        ++raw.entryLines;
        const int tab = line.indexOf(QLatin1Char('\t'));
        if (tab > 0)
            raw.texts[line.left(tab).toInt()] = line.mid(tab + 1);
    }
    return raw;
}

QStringList ArgumentCodes(const QString& text) {
    QStringList codes;
    static const QRegularExpression code(QStringLiteral("~[0-9]"));
    for (auto it = code.globalMatch(text); it.hasNext();)
        codes << it.next().captured();
    codes.sort();
    return codes;
}

} // namespace

TEST_F(CatalogueTest, TextsAreKeptWholeAndPlaceholdersFilled) {
    EXPECT_EQ(AppTitle(), "TQ-7350 - Setup Program");
    EXPECT_EQ(LoadMessage(5383), "TE is Disabled "); // blanks belong to the text
    EXPECT_EQ(LoadMessage(8028), QString::fromUtf8("STEL・TWA Function"));
    EXPECT_EQ(LoadMessage(6009, {30}), "Fresh air flowing to unit. Wait 30sec");
    EXPECT_EQ(LoadMessage(6009), "Fresh air flowing to unit. Wait sec");
    EXPECT_EQ(LoadMessage(8001), "This instrument would not accept the command. \r\n Check the "
                                 "software version number.");

    const std::pair<const char*, const char*> cases[] = {
        {"a~Cb~Tc~cd~te", "a\r\nb\tc\r\nd\te"},
        {"x~0y", "xy"},
        {"x~xy~~z", "xyz"},
        {"end~", "end"},
        {"~", ""},
        {"~2-~1-~3", "b-a-"},
        {"~1/~1", "a/a"},
    };
    for (const auto& [text, expanded] : cases)
        EXPECT_EQ(ExpandPlaceholders(QLatin1String(text), {"a", "b"}), QLatin1String(expanded))
            << text;
    EXPECT_EQ(ExpandPlaceholders("~9", {1, 2, 3, 4, 5, 6, 7, 8, 9}), "9");
    // Argument text is inserted as it is: its own "~" is not taken for a code.
    EXPECT_EQ(ExpandPlaceholders("User ~1!", {"A~cB~1"}), "User A~cB~1!");
}

TEST_F(CatalogueTest, LanguageCodeAndMissingNumbers) {
    EXPECT_EQ(LoadMessage(101), "EN");
    EXPECT_EQ(LoadMessage(4321), "[#4321]");
    EXPECT_EQ(LoadMessage(-5), "[#-5]");
    EXPECT_EQ(LoadMessage(9200), "[#9200]"); // the Japanese table's extra group
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    EXPECT_EQ(CurrentCatalogueLanguage(), CatalogueLanguage::Japanese);
    EXPECT_EQ(LoadMessage(101), "JP");
    EXPECT_EQ(LoadMessage(9200), "frmCalibration");
    EXPECT_EQ(LoadMessage(4321), "[#4321]");
    EXPECT_NE(AppTitle(), "TQ-7350 - Setup Program");
    EXPECT_TRUE(LoadMessage(6009, {30}).contains("30"));
    EXPECT_FALSE(LoadMessage(6009).contains('~'));
}

TEST_F(CatalogueTest, TablesParseCompletelyAndAgree) {
    const QList<int> english = CatalogueNumbers(CatalogueLanguage::English);
    const QList<int> japanese = CatalogueNumbers(CatalogueLanguage::Japanese);
    ASSERT_GT(english.size(), 250);
    QList<int> expected = english;
    expected.append(9200);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(japanese, expected);
    for (int heading : {1000, 2000, 3000, 4000, 5000, 6000, 7000, 7100, 8000, 9000, 20000})
        EXPECT_TRUE(english.contains(heading)) << heading;

    // Every entry line of the files turns into exactly one entry, with its
    // text kept whole.
    const RawTable rawEn = ReadRaw(":/messages/messages_en.txt");
    const RawTable rawJa = ReadRaw(":/messages/messages_ja.txt");
    EXPECT_EQ(rawEn.entryLines, english.size());
    EXPECT_EQ(rawJa.entryLines, japanese.size());
    for (const auto& [number, text] : rawEn.texts)
        EXPECT_EQ(LoadMessage(number), ExpandPlaceholders(text, {})) << number;

    // A translation carries the same arguments and the same grid column count.
    for (const auto& [number, text] : rawEn.texts) {
        const auto ja = rawJa.texts.find(number);
        ASSERT_NE(ja, rawJa.texts.end()) << number;
        EXPECT_EQ(ArgumentCodes(ja->second), ArgumentCodes(text)) << number;
        EXPECT_EQ(ja->second.count('|'), text.count('|')) << number;
        EXPECT_FALSE(ja->second.isEmpty()) << number;
    }
}

TEST_F(CatalogueTest, EnvironmentChoosesTheLanguage) {
    const std::pair<const char*, CatalogueLanguage> cases[] = {
        {"ja", CatalogueLanguage::Japanese},
        {"en", CatalogueLanguage::English},
        {" JP ", CatalogueLanguage::Japanese},
        {"EN", CatalogueLanguage::English}};
    for (const auto& [value, language] : cases) {
        qputenv("TQ7350_LANG", value);
        SelectCatalogueLanguage();
        EXPECT_EQ(CurrentCatalogueLanguage(), language) << value;
    }
}

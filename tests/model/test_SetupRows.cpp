// The rows of the setup pages: every row reaches its record property, the
// edge values of the numbers and the password, the encodings of the choice
// rows, and that a value is written (and flagged) only when it changes.
#include "app/Catalogue.h"
#include "app/MessageIds.h"
#include "model/SettingsTable.h"
#include "model/SetupRows.h"
#include "model/clsInstrument.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

using namespace SetupRows;

namespace {

// The row of a page with the given label (and channel, for the per-gas rows).
const Row& RowOf(Page page, int label, int index = 0) {
    for (const Row& r : Rows(page)) {
        if (r.label == label && r.index == index)
            return r;
    }
    ADD_FAILURE() << "no row with label " << label;
    static const Row none{};
    return none;
}

const Row& SetUpRow(int label) {
    return RowOf(Page::SetUp, label);
}

void ClearEveryFlag(clsInstrument& r) {
    for (const SettingsTable::Setting& s : SettingsTable::Rows())
        for (int i = 0; i < s.count(); ++i)
            s.SetChanged(r, i, false);
}

struct LanguageGuard {
    ~LanguageGuard() { SetCatalogueLanguage(CatalogueLanguage::English); }
};

} // namespace

TEST(SetupRows, EveryRowReachesItsPropertyAndShowsItsValueInBothLanguages) {
    LanguageGuard guard;
    EXPECT_EQ(Rows(Page::SetUp).size(), 21u);
    EXPECT_EQ(Rows(Page::Factory).size(), 13u);
    EXPECT_EQ(Rows(Page::Other).size(), 10u);
    for (CatalogueLanguage language : {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        SetCatalogueLanguage(language);
        clsInstrument record;
        record.setRomNumber(4152);
        for (Page page : {Page::SetUp, Page::Factory, Page::Other}) {
            for (const Row& row : Rows(page)) {
                SCOPED_TRACE(testing::Message() << row.property << " label " << row.label);
                ASSERT_NE(SettingsTable::Find(QString::fromLatin1(row.property)), nullptr);
                EXPECT_FALSE(LabelText(row).contains(QLatin1String("[#")));
                EXPECT_FALSE(LabelText(row).contains(QLatin1Char('~')));
                if (row.value != Value::Choice || row.locked)
                    continue;
                // Every item shows as itself and reads back as the same value.
                const QStringList items = ItemTexts(row, record);
                ASSERT_GE(items.size(), 2);
                for (const QString& item : items) {
                    clsInstrument r = record;
                    r.ClearChangeFlags();
                    ApplyText(row, item, r);
                    EXPECT_EQ(CellText(row, r), item);
                }
            }
        }
    }
}

TEST(SetupRows, NumbersAndPasswordKeepTheirLimits) {
    const clsInstrument record;
    struct Case {
        int label;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {kMsgCalTimeLimit, "0", false},    {kMsgCalTimeLimit, "1", true},
        {kMsgCalTimeLimit, "365", true},   {kMsgCalTimeLimit, "366", false},
        {kMsgCalTimeLimit, "", false},     {kMsgCalTimeLimit, "-5", false},
        {kMsgCalTimeLimit, "1e2", false},  {kMsgBumpTimeLimit, "0", true},
        {kMsgBumpTimeLimit, "30", true},   {kMsgBumpTimeLimit, "31", false},
        {kMsgBacklightTime, "255", true},  {kMsgBacklightTime, "256", false},
        {kMsgUserPassword, "1234", true},  {kMsgUserPassword, "123", false},
        {kMsgUserPassword, "12a4", false}, {kMsgUserPassword, "12345", false},
        {kMsgUserPassword, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.label << " \"" << c.text << '"');
        EXPECT_EQ(TextAcceptable(SetUpRow(c.label), QString::fromLatin1(c.text), record),
                  c.accepted);
    }
}

TEST(SetupRows, TypingRulesDropWhatTheRowCannotHold) {
    const Row& password = SetUpRow(kMsgUserPassword);
    EXPECT_TRUE(TypingAccepts(password, QStringLiteral("123")));
    EXPECT_FALSE(TypingAccepts(password, QStringLiteral("12a")));
    EXPECT_FALSE(TypingAccepts(password, QStringLiteral("12345")));
    const Row& specNo = RowOf(Page::Other, kMsgSpecNo);
    EXPECT_TRUE(TypingAccepts(specNo, QStringLiteral("SP-0415 *A")));
    EXPECT_FALSE(TypingAccepts(specNo, QStringLiteral("SP-0415 *AB"))); // 11 characters
    EXPECT_FALSE(TypingAccepts(specNo, QStringLiteral("SP/1")));
    EXPECT_EQ(TypedCharacter(specNo, QLatin1Char('a')), QLatin1Char('A'));
    EXPECT_EQ(TypedCharacter(password, QLatin1Char('a')), QLatin1Char('a'));
    // The empty Spec No. is a value; an empty password is not.
    const clsInstrument record;
    EXPECT_TRUE(TextAcceptable(specNo, QString(), record));
}

TEST(SetupRows, ChoiceRowsStoreTheirCodes) {
    struct Case {
        Page page;
        int label;
        const char* text;
        const char* property;
        int index;
        int code;
    };
    const Case cases[] = {
        {Page::Factory, kMsgBarHoleTime, "30", "BhTime", 0, 0},
        {Page::Factory, kMsgBarHoleTime, "45", "BhTime", 0, 1},
        {Page::Factory, kMsgBarHoleTime, "60", "BhTime", 0, 2},
        {Page::SetUp, kMsgBumpTestTime, "90", "BumpTime", 0, 3},
        {Page::SetUp, kMsgBumpTestThreshold, "50", "BumpThreshold", 0, 4},
        {Page::SetUp, kMsgCalTimeAfterBumpFail, "120", "BumpFailCalTime", 0, 1},
        {Page::Factory, kMsgLcBhMode, "lc bh", "LcBhMode", 0, 3},
        {Page::Factory, kMsgHcSelect, "VOL", "HcMode", 0, 2},
        {Page::Factory, kMsgAlarmPattern, "Latch", "AlarmMode", 0, 1},
        {Page::SetUp, kMsgBumpLimitCheck, "Can't use", "BumpCheck", 0, 1},
        {Page::SetUp, kMsgCalLimitCheckGas, "4GAS", "CalCheckALL", 0, 0},
        {Page::Factory, kMsgZeroFollower, "On", "Zero", 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const SettingsTable::Setting* s = SettingsTable::Find(QString::fromLatin1(c.property));
        clsInstrument r;
        // Another value first, every flag cleared.
        s->Set(r, c.index, QVariant::fromValue<int16_t>(c.code == 0 ? 1 : 0));
        ClearEveryFlag(r);
        const Row& row = RowOf(c.page, c.label, c.index);
        ASSERT_TRUE(ApplyText(row, QString::fromLatin1(c.text), r));
        EXPECT_EQ(s->Get(r, c.index).toInt(), c.code);
        EXPECT_TRUE(s->Changed(r, c.index));
        // Only that setting of that channel is flagged.
        for (const SettingsTable::Setting& other : SettingsTable::Rows()) {
            for (int i = 0; i < other.count(); ++i) {
                if (&other != s || i != c.index) {
                    EXPECT_FALSE(other.Changed(r, i)) << other.Key.toStdString() << i;
                }
            }
        }
    }
    // The destination is a text setting: its code is the item's position as text.
    clsInstrument r;
    ASSERT_TRUE(ApplyText(RowOf(Page::Other, kMsgDestination), QStringLiteral("Germany"), r));
    EXPECT_EQ(r.SpecType(), QStringLiteral("2"));
}

TEST(SetupRows, AValueIsWrittenOnlyWhenItChanges) {
    clsInstrument r;
    r.setCalLimit(180);
    r.ClearChangeFlags();
    const Row& calLimit = SetUpRow(kMsgCalTimeLimit);
    EXPECT_FALSE(ApplyText(calLimit, QStringLiteral("180"), r));
    EXPECT_FALSE(r.Change_CalLimit());
    EXPECT_FALSE(ApplyText(calLimit, QStringLiteral("366"), r));
    EXPECT_EQ(r.CalLimit(), 180);
    EXPECT_TRUE(ApplyText(calLimit, QStringLiteral("365"), r));
    EXPECT_EQ(r.CalLimit(), 365);
    EXPECT_TRUE(r.Change_CalLimit());
    // A locked row is shown, never written.
    r.ClearChangeFlags();
    const Row& board = RowOf(Page::Other, kMsgBoardType);
    EXPECT_FALSE(ApplyText(board, LoadMessage(kMsgBoardGasCompany), r));
    EXPECT_EQ(r.IsCustom(), 0);
    EXPECT_FALSE(r.Change_IsCustom());
}

TEST(SetupRows, OxygenTypeHhExistsFromProgram4150AndUnknownCodesStayAsTheyAre) {
    const Row& o2 = RowOf(Page::Other, kMsgOxygenAlarmType);
    clsInstrument r;
    r.setRomNumber(4149);
    r.setAlarmO2(2);
    r.ClearChangeFlags();
    EXPECT_EQ(ItemTexts(o2, r).size(), 2);
    // A code outside the list is shown as its number and cannot be written.
    EXPECT_EQ(CellText(o2, r), QStringLiteral("2"));
    EXPECT_FALSE(ApplyText(o2, QStringLiteral("2"), r));
    EXPECT_FALSE(ApplyText(o2, QStringLiteral("H-HH"), r));
    EXPECT_FALSE(r.Change_AlarmO2());
    r.setRomNumber(4150);
    EXPECT_EQ(CellText(o2, r), QStringLiteral("H-HH"));
    EXPECT_TRUE(ApplyText(o2, QStringLiteral("L-LL"), r));
    EXPECT_EQ(r.AlarmO2(), 1);
}

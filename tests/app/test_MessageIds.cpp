// The names of app/MessageIds.h against the catalogue tables.
#include "app/Catalogue.h"
#include "app/MessageIds.h"

#include <gtest/gtest.h>

// Every name stands for a text that both tables hold, never for a group's
// name (the entry at a multiple of 1000, except 9000 which doubles as a
// heading), and no number has two names: the list runs in catalogue order
// with each number once.
TEST(MessageIdsTest, EveryNameHasItsTextInBothTables) {
    const QList<int> english = CatalogueNumbers(CatalogueLanguage::English);
    const QList<int> japanese = CatalogueNumbers(CatalogueLanguage::Japanese);
    ASSERT_FALSE(english.isEmpty());
    int previous = 0;
    for (const MessageIdEntry& id : kMessageIdTable) {
        SCOPED_TRACE(testing::Message() << id.name << " = " << id.number);
        EXPECT_TRUE(english.contains(id.number)) << "missing from messages_en.txt";
        EXPECT_TRUE(japanese.contains(id.number)) << "missing from messages_ja.txt";
        EXPECT_TRUE(id.number % 1000 != 0 || id.number == 9000) << "a group's name";
        EXPECT_GT(id.number, previous) << "out of catalogue order, or named twice";
        previous = id.number;
    }
}

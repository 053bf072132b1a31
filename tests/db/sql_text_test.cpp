// Identifiers and literals as statements must write them.
#include "db/sql_text.h"

#include <gtest/gtest.h>

using namespace dravik::db;

TEST(SqlText, NamesAreBareOnlyWhenDialectThreeReadsThemBackUnchanged) {
    EXPECT_EQ(QuoteIdentifier("CUSTOMER   "), "CUSTOMER");
    EXPECT_EQ(QuoteIdentifier("RDB$X_1"), "RDB$X_1");
    EXPECT_EQ(QuoteIdentifier("Customer"), "\"Customer\"");
    EXPECT_EQ(QuoteIdentifier("CS_Data2"), "\"CS_Data2\"");
    EXPECT_EQ(QuoteIdentifier("T DROP C,"), "\"T DROP C,\"");
    EXPECT_EQ(QuoteIdentifier("PO#"), "\"PO#\"");
    EXPECT_EQ(QuoteIdentifier("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(QuoteIdentifier("1ST"), "\"1ST\"");
    EXPECT_EQ(QuoteIdentifier("_X"), "\"_X\"");
    EXPECT_EQ(QuoteIdentifier("  LEAD"), "\"  LEAD\"");
    EXPECT_EQ(QuoteIdentifier("Ünïcode"), "\"Ünïcode\"");
    for (const char* word : {"ORDER", "POSITION", "VALUE", "USER", "DATE", "TYPE", "KEY", "ACTIVE", "YEAR", "ADD"})
        EXPECT_EQ(QuoteIdentifier(word), "\"" + std::string(word) + "\"") << word;
    EXPECT_TRUE(IsBareIdentifier("ZZZ"));
    EXPECT_FALSE(IsBareIdentifier(""));

    EXPECT_EQ(SqlString("O'Brien"), "'O''Brien'");
    EXPECT_EQ(SqlString(""), "''");
    EXPECT_EQ(Trim(" \t x \r\n"), "x");
    EXPECT_EQ(TrimRight("  x  "), "  x");
}

TEST(SqlText, StoredTextsEndOnANewLineOnlyWhenALineCommentIsStillOpen) {
    for (const char* open : {"default 0 -- total in cost", "(a + 1) /* b */ -- c", "check (x <> '''') --",
                             "-- first\ncheck (value > 0) -- last"})
        EXPECT_EQ(EmbedStoredText(open), std::string(open) + "\n") << open;
    for (const char* closed : {"default '--'", "default 'it''s -- not'", "(\"A--B\" + 1)", "/* -- */ 1",
                               "(a) -- c\n", "default q'{--}'", "default Q'!it's -- no!'", "1 - -2"})
        EXPECT_EQ(EmbedStoredText(closed), closed) << closed;
}

TEST(SqlText, OnlyAnEnginePrefixFollowedByDigitsIsAnEngineMadeName) {
    for (const char* made : {"INTEG_12", "RDB$PRIMARY3", "RDB$FOREIGN9", "RDB$7", "CHECK_2", "RDB$INDEX_0", "INTEG_5  "})
        EXPECT_TRUE(IsEngineMadeName(made)) << made;
    for (const char* user : {"INTEG_ORDERS", "INTEG_", "CHECK_AMOUNT", "RDB$PRIMARY_X", "RDB$ORDERS_NOTE", "INTEG_5X",
                             "RDB$", "MY_INTEG_1", "integ_1"})
        EXPECT_FALSE(IsEngineMadeName(user)) << user;
}

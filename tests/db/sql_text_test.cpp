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
    {
        // Dialect 1 has no quoted names: keywords are names there as written.
        const NamesForDialect dialect1(1);
        EXPECT_EQ(QuoteIdentifier("TYPE"), "TYPE");
        EXPECT_EQ(QuoteIdentifier("KEY  "), "KEY");
    }
    EXPECT_EQ(QuoteIdentifier("TYPE"), "\"TYPE\"") << "dialect 3 again once the scope ends";
    EXPECT_EQ(QuoteIdentifier("orders  ", 1), "orders");
    EXPECT_EQ(QuoteIdentifier("Odd\"Name  ", 3), "\"Odd\"\"Name\"");
    EXPECT_TRUE(IsBareIdentifier("ZZZ"));
    EXPECT_FALSE(IsBareIdentifier(""));

    EXPECT_EQ(SqlString("O'Brien"), "'O''Brien'");
    EXPECT_EQ(SqlString(""), "''");
    EXPECT_EQ(SqlStringOrNull("   \t"), "NULL");
    EXPECT_EQ(SqlStringOrNull("NAME   "), "'NAME   '");
    EXPECT_EQ(Trim(" \t x \r\n"), "x");
    EXPECT_EQ(TrimRight("  x  "), "  x");
}

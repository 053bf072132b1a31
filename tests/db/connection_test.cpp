// Connections, transactions and the parameter buffer against real databases.
#include "db/db_error.h"
#include "db/db_query.h"
#include "support/test_support.h"

#include <filesystem>

using namespace dravik::db;
using namespace dravik::test;

namespace {

TEST(ParameterBuffer, LastLineOfANameWinsAndLinesWithoutEqualsAreSkipped) {
    const std::string dpb = BuildParameterBuffer(
        {"PAGE_SIZE 4096", "DEFAULT CHARACTER SET WIN1251", "USER_NAME=SYSDBA", " =x", "isc_dpb_lc_ctype=NONE",
         "Lc_Ctype=WIN1251"});
    const std::string expected = std::string("\x01", 1) + char(isc_dpb_user_name) + char(6) + "SYSDBA" +
                                 char(isc_dpb_lc_ctype) + char(4) + "NONE" + char(isc_dpb_lc_ctype) + char(7) +
                                 "WIN1251";
    EXPECT_EQ(dpb, expected);
}

TEST(ParameterBuffer, RejectsUnknownNamesAndOverlongValues) {
    EXPECT_THROW(BuildParameterBuffer({"no_such_thing=1"}), DbClientError);
    EXPECT_THROW(BuildParameterBuffer({"password=" + std::string(300, 'x')}), DbClientError);
    for (const char* bad : {"CONNECT_TIMEOUT=abc", "CONNECT_TIMEOUT=", "CONNECT_TIMEOUT=-1"})
        EXPECT_THROW(BuildParameterBuffer({bad}), DbClientError) << bad;
}

TEST(ParameterBuffer, ConnectTimeoutIsAFourByteNumberLowByteFirst) {
    EXPECT_EQ(BuildParameterBuffer({"CONNECT_TIMEOUT=300"}),
              std::string("\x01", 1) + char(isc_dpb_connect_timeout) + char(4) + std::string("\x2c\x01\0\0", 4));
}

TEST(Connection, ThePageCacheAskedForIsTheOneTheEngineGives) {
    TempDir dir;
    const std::string name = dir.File("a.fdb");
    CreateDatabase(name, "NONE");
    DbConnection c;
    c.SetDatabaseName(name);
    c.Params() = {"USER_NAME=SYSDBA", "PASSWORD=corbelfin", "CONFIG=DefaultDbCachePages=300"};
    c.Connect();
    DbQuery q(c, "select MON$PAGE_BUFFERS from MON$DATABASE");
    q.Open();
    EXPECT_EQ(q.Fields(0).AsInteger(), 300);
}

TEST(Connection, LaterAttachLinesOverrideEarlierOnes) {
    TempDir dir;
    const std::string name = dir.File("a.fdb");
    CreateDatabase(name, "NONE");
    DbConnection c;
    c.SetDatabaseName(name);
    c.Params() = {"USER_NAME=NOBODY", "PASSWORD=wrong", "LC_CTYPE=NONE", "USER_NAME=SYSDBA", "PASSWORD=corbelfin",
                  "LC_CTYPE=WIN1251"};
    c.Connect();
    DbQuery q(c, "select trim(c.RDB$CHARACTER_SET_NAME), current_user from MON$ATTACHMENTS a join RDB$CHARACTER_SETS c "
                 "on c.RDB$CHARACTER_SET_ID = a.MON$CHARACTER_SET_ID where a.MON$ATTACHMENT_ID = current_connection");
    q.Open();
    EXPECT_EQ(q.Fields(0).AsString(), "WIN1251");
    EXPECT_EQ(q.Fields(1).AsString(), "SYSDBA");
}

TEST(Connection, CreateDatabaseTextAndAttachedAfterwards) {
    TempDir dir;
    DbConnection c;
    c.SetDatabaseName(dir.File("new.fdb"));
    c.CreateClauses() = {"USER 'SYSDBA'", "PASSWORD 'corbelfin'", "PAGE_SIZE 8192", "DEFAULT CHARACTER SET UTF8"};
    EXPECT_EQ(c.CreateDatabaseText(), "CREATE DATABASE '" + dir.File("new.fdb") +
                                          "' USER 'SYSDBA'\r\nPASSWORD 'corbelfin'\r\nPAGE_SIZE 8192\r\n"
                                          "DEFAULT CHARACTER SET UTF8\r\n");
    c.SetSQLDialect(3);
    c.CreateDatabase();
    EXPECT_TRUE(c.Connected());
    c.Connect();  // already attached: nothing happens
    EXPECT_THROW(c.CreateDatabase(), DbClientError);
    try {
        c.CreateDatabase();
    } catch (const DbClientError& e) {
        EXPECT_STREQ(e.what(), "Cannot perform operation -- DB is currently open");
    }
    {
        DbQuery q(c, "select MON$PAGE_SIZE from MON$DATABASE");
        q.Open();
        EXPECT_EQ(q.Fields(0).AsInteger(), 8192);
    }
    EXPECT_FALSE(c.DefaultTransaction().InTransaction());
    EXPECT_EQ(Scalar(dir.File("new.fdb"), "select RDB$CHARACTER_SET_NAME from RDB$DATABASE"), "UTF8");
}

TEST(Connection, ClientErrorsCarryTheirFixedTexts) {
    DbConnection c;
    auto message = [](auto&& f) {
        try {
            f();
        } catch (const DbError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { c.Connect(); }), "Database name is missing");
    EXPECT_EQ(message([&] { c.DropDatabase(); }), "Cannot perform operation -- DB is not open");
    EXPECT_EQ(message([&] { c.DefaultTransaction().Commit(); }), "Transaction is not active");
    EXPECT_EQ(message([&] { c.DefaultTransaction().StartTransaction(); }), "Cannot perform operation -- DB is not open");
    EXPECT_EQ(message([&] { c.SetSQLDialect(0); }), "SQL Dialect Invalid");
    DbStatement s(c, "select 1 from rdb$database");
    EXPECT_EQ(message([&] { s.ExecQuery(); }), "Cannot perform operation -- DB is not open");
}

TEST(Connection, MissingLibraryNamesTheFileLookedFor) {
    try {
        LoadClientLibrary("libfbclient-does-not-exist.so.2");
        FAIL() << "no error";
    } catch (const DbClientError& e) {
        EXPECT_STREQ(e.what(), "InterBase library libfbclient-does-not-exist.so.2 not found in the path. Please "
                               "install InterBase to use this functionality");
    }
    EXPECT_STREQ(DbClientError::Format(DbClientError::kLibraryMissing, kClientLibraryName).what(),
                 "InterBase library libfbclient.so.2 not found in the path. Please install InterBase to use this "
                 "functionality");
}

TEST(Connection, ServerErrorJoinsStatusTextsAndDropsTheFinalDot) {
    TempDir dir;
    DbConnection c;
    c.SetDatabaseName(dir.File("missing.fdb"));
    c.Params() = {"USER_NAME=SYSDBA", "PASSWORD=corbelfin"};
    try {
        c.Connect();
        FAIL() << "attached to a missing file";
    } catch (const DbServerError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("I/O error during \"open\" operation for file"), std::string::npos) << text;
        EXPECT_NE(text.find("\r\n"), std::string::npos) << text;
        EXPECT_NE(text.back(), '.');
        EXPECT_NE(e.IBErrorCode(), 0);
        EXPECT_NE(e.SQLCode(), 0);
    }
    EXPECT_FALSE(c.Connected());
}

TEST(Connection, DialectIsLoweredToADialectOneDatabase) {
    TempDir dir;
    const std::string name = dir.File("d1.fdb");
    CreateDatabase(name, "NONE", 8192, 1);
    DbConnection c;
    c.SetSQLDialect(3);
    Attach(c, name);
    EXPECT_EQ(c.PageSize(), 8192);
    EXPECT_EQ(c.DatabaseDialect(), 1);
    EXPECT_EQ(c.SQLDialect(), 1);
    EXPECT_THROW(c.SetSQLDialect(3), DbClientError);
}

TEST(Connection, DropDatabaseRemovesTheFile) {
    TempDir dir;
    const std::string name = dir.File("drop.fdb");
    CreateDatabase(name);
    DbConnection c;
    Attach(c, name);
    c.DropDatabase();
    EXPECT_FALSE(c.Connected());
    EXPECT_FALSE(std::filesystem::exists(name));
}

TEST(Connection, DatabaseNameCannotChangeWhileAttached) {
    TempDir dir;
    CreateDatabase(dir.File("n.fdb"));
    DbConnection c;
    Attach(c, dir.File("n.fdb"));
    c.SetDatabaseName(dir.File("n.fdb"));  // same name: fine
    EXPECT_THROW(c.SetDatabaseName(dir.File("other.fdb")), DbClientError);
}

}  // namespace

// A statement that fails carries its text beside the server's message: the
// access layer's error keeps it, and a verbose dravik-clone prints it under
// the red line it belongs to.
#include "cli/cli_fixture.h"
#include "db/db_error.h"
#include "db/db_query.h"

namespace dravik::test {
namespace {

class FailedStatementTest : public CliFixture {};

// The lines of the run log indented under the first line that starts with
// the prefix (after the rest of that entry's message), without their indent.
std::vector<std::string> IndentedUnder(const std::string& log, const std::string& prefix) {
    const std::vector<std::string> lines = Lines(log);
    size_t at = 0;
    while (at < lines.size() && lines[at].rfind(prefix, 0) != 0) ++at;
    // The message's own further lines (indented by two) come before the statement.
    for (++at; at < lines.size() && !lines[at].empty() && lines[at].rfind("    ", 0) != 0;) ++at;
    std::vector<std::string> indented;
    for (; at < lines.size() && lines[at].rfind("    ", 0) == 0; ++at) indented.push_back(lines[at].substr(4));
    return indented;
}

TEST_F(FailedStatementTest, ServerErrorKeepsTheStatementAndVerboseRunShowsIt) {
    MakeSmallSource();
    {
        // A view over a table the database lacks.
        const std::string empty = dir.File("empty.fdb");
        CreateDatabase(empty);
        db::DbConnection c;
        Attach(c, empty);
        c.DefaultTransaction().StartTransaction();
        const std::string ddl = "CREATE VIEW V_ITEM (ID, NAME) AS SELECT ID, NAME FROM ITEM";
        db::DbStatement statement(c, ddl);
        try {
            statement.ExecQuery();
            ADD_FAILURE() << "the view was created";
        } catch (const db::DbServerError& e) {
            EXPECT_EQ(e.Statement(), ddl);
            EXPECT_EQ(std::string(e.what()),
                      "unsuccessful metadata update\r\nCREATE VIEW V_ITEM failed\r\nDynamic SQL Error\r\n"
                      "SQL error code = -204\r\nTable unknown\r\nITEM");
            EXPECT_EQ(e.SQLCode(), -204);
        }
    }
    {
        // CREATE DATABASE in a missing folder: its text, password masked.
        db::DbConnection c;
        c.SetDatabaseName(dir.File("no-such-folder/new.fdb"));
        c.CreateClauses() = {"USER 'SYSDBA'", "PASSWORD 'corbelfin'", "PAGE_SIZE 4096"};
        try {
            c.CreateDatabase();
            ADD_FAILURE() << "created in a missing folder";
        } catch (const db::DbServerError& e) {
            EXPECT_EQ(e.Statement(), "CREATE DATABASE '" + c.DatabaseName() +
                                         "' USER 'SYSDBA'\r\nPASSWORD '***'\r\nPAGE_SIZE 4096\r\n");
            EXPECT_EQ(std::string(e.what()).find("corbelfin"), std::string::npos) << e.what();
        }
    }

    // Without its table the view cannot be created: one red line, and in a
    // verbose run the CREATE VIEW under it.
    const std::vector<std::string> args = {"--tables", "none", "--data", "none", "--procedures", "none", src, dst};
    std::vector<std::string> verboseArgs = args;
    verboseArgs.insert(verboseArgs.begin(), "-v");
    const CloneRun verbose = RunClone(verboseArgs);
    EXPECT_EQ(verbose.status, 1) << verbose.out << verbose.err;
    const std::vector<std::string> statement = IndentedUnder(verbose.out, "CREATE VIEW V_ITEM: ");
    ASSERT_FALSE(statement.empty()) << verbose.out;
    EXPECT_NE(statement.front().find("V_ITEM"), std::string::npos) << verbose.out;
    EXPECT_EQ(statement.back(), "SELECT ID, NAME FROM ITEM") << verbose.out;

    const CloneRun plain = RunClone(args);
    EXPECT_EQ(plain.status, 1) << plain.out << plain.err;
    EXPECT_TRUE(HasLineStarting(plain.out, "CREATE VIEW V_ITEM: ")) << plain.out;
    EXPECT_FALSE(HasLineStarting(plain.out, "    ")) << "statements only in a verbose run\n" << plain.out;
}

}  // namespace
}  // namespace dravik::test

// Database names, attach lines, the connection test and the creation of the
// destination, against real databases (embedded, and the local server).
#include "app/engine/database_location.h"
#include "db/db_query.h"
#include "engine/engine_bench.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

using namespace dravik;
using namespace dravik::test;
using dravik::engine::CommitAndDisconnect;

namespace {

const char* const kSameText = "The source and the destination databases\ncan NOT be the same";

// Runs the test body with another current folder, restored afterwards.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& path) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~CurrentFolder() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

std::string SourceWithRows(const TempDir& dir, const std::string& name = "src.fdb") {
    const std::string path = dir.File(name);
    CreateDatabase(path);
    Isql(path,
         "create table t1 (id integer not null primary key, name varchar(20));\n"
         "insert into t1 values (1, 'one');\ninsert into t1 values (2, 'two');\n"
         "create generator g1;\nset generator g1 to 41;\ncreate role r1;\n"
         "grant select on t1 to user bob;\ncommit;\n");
    return path;
}

std::string AttachmentCharset(db::DbConnection& c) {
    db::DbQuery q(c,
                  "select trim(cs.RDB$CHARACTER_SET_NAME) from MON$ATTACHMENTS a join RDB$CHARACTER_SETS cs "
                  "on cs.RDB$CHARACTER_SET_ID = a.MON$CHARACTER_SET_ID where a.MON$ATTACHMENT_ID = "
                  "current_connection");
    q.Open();
    return q.Fields(0).AsString();
}

TEST(DatabaseNames, PathIsTrimmedAndServerTakenAsTyped) {
    JobBench b;
    b.job.settings.srcPath = "  /data/a.fdb ";
    b.job.settings.srcServer = "db1 ";
    b.job.settings.dstPath = "/data/b.fdb\t";
    b.job.settings.dstServer = "db2";
    EXPECT_EQ(b.job.SourceName(), "/data/a.fdb");
    EXPECT_EQ(b.job.DestinationName(), "/data/b.fdb");
    b.job.settings.srcRemote = true;
    b.job.settings.dstRemote = true;
    EXPECT_EQ(b.job.SourceName(), "db1 :/data/a.fdb");
    EXPECT_EQ(b.job.DestinationName(), "db2:/data/b.fdb");
}

TEST(DatabaseLocation, SpellingsOfOneFile) {
    TempDir dir;
    const std::string file = dir.File("a.fdb");
    CreateDatabase(file);
    std::filesystem::create_directory(dir.File("sub"));
    std::filesystem::create_symlink(file, dir.File("link.fdb"));
    CurrentFolder here(dir.Path());
    for (const std::string& other : {std::string("a.fdb"), std::string("./a.fdb"), std::string("sub/../a.fdb"),
                                     dir.File("link.fdb"), "localhost:" + file, "127.0.0.1/3050:" + file,
                                     "LocalHost:" + dir.File("sub/../a.fdb"), "inet://localhost/" + file,
                                     "INET4://127.0.0.1:3050/" + file})
        EXPECT_TRUE(engine::SameDatabaseFile(file, other)) << other;
    // Not yet existing files compare by their resolved path.
    EXPECT_TRUE(engine::SameDatabaseFile(dir.File("new.fdb"), "./sub/../new.fdb"));
    for (const std::string& other : {dir.File("A.fdb"), dir.File("b.fdb"), "otherhost:" + file,
                                     std::string("localhost:a.fdb"), "inet://otherhost/" + file})
        EXPECT_FALSE(engine::SameDatabaseFile(file, other)) << other;
    EXPECT_TRUE(engine::SameDatabaseFile("srv:/x/../db.fdb", "SRV/3051:/db.fdb"));
    // Only a plain path where no file is goes unsearched: a bare name may be
    // an alias, a name with a server part is the server's to resolve.
    EXPECT_TRUE(engine::NoFileAtLocalPath(dir.File("new.fdb")));
    EXPECT_TRUE(engine::NoFileAtLocalPath("./new.fdb"));
    for (const std::string& name : {file, std::string("./a.fdb"), std::string("new.fdb"),
                                    "localhost:" + dir.File("new.fdb"), std::string("srv:/x/new.fdb")})
        EXPECT_FALSE(engine::NoFileAtLocalPath(name)) << name;
}

TEST(SourceConnection, AttachLinesAreAppendedBeforeEveryAttemptAndTheLastWins) {
    TempDir dir;
    const std::string src = SourceWithRows(dir);
    JobBench b;
    b.job.settings.srcPath = src;
    ASSERT_TRUE(b.job.ConnectSource("NONE"));
    EXPECT_TRUE(b.job.ConnectSource("WIN1251"));  // already connected: nothing read again
    EXPECT_EQ(b.job.srcDb.Params().size(), 6u);
    b.job.ReconnectSource("NONE");  // the same code page keeps the attachment
    EXPECT_EQ(b.job.srcDb.Params().size(), 6u);
    b.job.ReconnectSource(" WIN1251 ");
    // A source this process opens itself gets a small page cache.
    EXPECT_EQ(b.job.srcDb.Params(),
              (std::vector<std::string>{"USER_NAME=SYSDBA", "PASSWORD=corbelfin", "LC_CTYPE=NONE", "CONNECT_TIMEOUT=15",
                                        "CONFIG=DefaultDbCachePages=256", "NO_DB_TRIGGERS=1", "USER_NAME=SYSDBA",
                                        "PASSWORD=corbelfin", "LC_CTYPE=WIN1251", "CONNECT_TIMEOUT=15",
                                        "CONFIG=DefaultDbCachePages=256", "NO_DB_TRIGGERS=1"}));
    EXPECT_EQ(AttachmentCharset(b.job.srcDb), "WIN1251");
    EXPECT_TRUE(b.ui.messages.empty());
}

TEST(SourceConnection, ConnectionTestPassesFailsAndLeavesNothingOpen) {
    TempDir dir;
    const std::string src = SourceWithRows(dir);
    JobBench b;
    b.job.settings.srcPath = src;
    EXPECT_TRUE(b.job.TestSourceConnection());
    EXPECT_FALSE(b.job.srcDb.Connected());
    EXPECT_TRUE(b.ui.messages.empty());

    b.job.settings.srcPath = dir.File("missing.fdb");
    EXPECT_FALSE(b.job.TestSourceConnection());
    EXPECT_FALSE(b.job.srcDb.Connected());
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].rfind("Not connected: \n", 0), 0u);
    EXPECT_NE(b.ui.messages[0].find("missing.fdb"), std::string::npos) << b.ui.messages[0];

    // A code page the source's server does not know fails the test, as it
    // would fail the job before the destination is made; a known name passes
    // in any letter case.
    b.ui.messages.clear();
    b.job.settings.srcPath = src;
    b.job.settings.dstCodePage = "KOI8-X";
    EXPECT_FALSE(b.job.TestSourceConnection());
    EXPECT_EQ(b.ui.messages, std::vector<std::string>{
                                 "the destination's code page KOI8-X is not a character set the source's server knows"});
    EXPECT_FALSE(b.job.srcDb.Connected());
    b.job.settings.dstCodePage = "koi8r";
    EXPECT_TRUE(b.job.TestSourceConnection());

    b.ui.messages.clear();
    b.job.settings.srcPath = "   ";
    EXPECT_FALSE(b.job.TestSourceConnection());
    EXPECT_EQ(b.ui.messages,
              (std::vector<std::string>{"No database file defined", "Not connected: \nDatabase name is missing"}));
}

TEST(SourceConnection, ConnectionTestOnAConnectedSourcePassesWithoutANewAttempt) {
    TempDir dir;
    const std::string src = SourceWithRows(dir);
    JobBench b;
    b.job.settings.srcPath = src;
    b.job.ConnectSource("NONE");
    b.job.settings.srcPath = dir.File("elsewhere.fdb");  // not read again while connected
    const size_t lines = b.job.srcDb.Params().size();
    EXPECT_TRUE(b.job.TestSourceConnection());
    EXPECT_EQ(b.job.srcDb.Params().size(), lines);
    EXPECT_FALSE(b.job.srcDb.Connected());
}

TEST(CreateDestination, UnreachableSourceIsAConnectionErrorInRed) {
    TempDir dir;
    JobBench b;
    b.Databases(dir.File("missing.fdb"), dir.File("dst.fdb"));
    EXPECT_FALSE(b.job.CreateDestination());
    ASSERT_EQ(b.run.entries.size(), 2u);  // the line, then the server's message
    EXPECT_EQ(b.Lines()[0], "Connection error: " + dir.File("missing.fdb"));
    EXPECT_NE(b.Lines()[1].find("missing.fdb"), std::string::npos) << b.Lines()[1];
    EXPECT_EQ(b.run.entries[0].textColour, engine::kRed);
    EXPECT_FALSE(std::filesystem::exists(dir.File("dst.fdb")));
}

TEST(CreateDestination, ReplacesAnExistingDestinationWithAFreshOne) {
    TempDir dir;
    const std::string src = SourceWithRows(dir);
    const std::string dst = dir.File("dst.fdb");
    CreateDatabase(dst);
    Isql(dst, "create table old_stuff (x integer);\ncommit;\n");
    JobBench b;
    b.Databases(src, dst);
    b.job.settings.pageSize = "8192";
    ASSERT_TRUE(b.job.CreateDestination());
    EXPECT_EQ(b.Lines(), (std::vector<std::string>{"DB " + src + ": connected", "DB " + dst + ": droped successfully",
                                                   "DB " + dst + ": created", "DB " + dst + ": connected"}));
    EXPECT_TRUE(b.job.dstDb.Connected());
    EXPECT_EQ(b.job.dstDb.CreateClauses(),
              (std::vector<std::string>{"USER 'SYSDBA'", "PASSWORD 'corbelfin'", "PAGE_SIZE 8192",
                                        "DEFAULT CHARACTER SET NONE"}));
    CommitAndDisconnect(b.job.dstDb);
    CommitAndDisconnect(b.job.srcDb);
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$relations where rdb$relation_name = 'OLD_STUFF'"), "0");
    EXPECT_EQ(Scalar(dst, "select mon$page_size from mon$database"), "8192");
    EXPECT_EQ(Scalar(dst, "select mon$sql_dialect from mon$database"), "3");
}

TEST(CreateDestination, CodePagesAreTrimmedInTheAttachLinesAndTheDefaultCharacterSet) {
    TempDir dir;
    const std::string src = SourceWithRows(dir);
    const std::string dst = dir.File("dst.fdb");
    JobBench b;
    b.Databases(src, dst);
    b.job.settings.defaultCharset = "  WIN1251 ";
    b.job.settings.dstCodePage = " UTF8  ";
    ASSERT_TRUE(b.job.CreateDestination());
    EXPECT_EQ(b.job.dstDb.CreateClauses().back(), "DEFAULT CHARACTER SET WIN1251");
    b.job.ConnectDestination();
    const auto& params = b.job.dstDb.Params();
    EXPECT_EQ(params[params.size() - 3], "LC_CTYPE=UTF8");
    EXPECT_EQ(params[params.size() - 2], "CONNECT_TIMEOUT=15");
    EXPECT_EQ(params.back(), "NO_DB_TRIGGERS=1");
    EXPECT_EQ(AttachmentCharset(b.job.dstDb), "UTF8");
    CommitAndDisconnect(b.job.dstDb);
    CommitAndDisconnect(b.job.srcDb);
    EXPECT_EQ(Scalar(dst, "select rdb$character_set_name from rdb$database"), "WIN1251");
}

TEST(CreateDestination, NotReplacingAnExistingFileFailsAndLeavesItUntouched) {
    TempDir dir;
    const std::string src = SourceWithRows(dir);
    const std::string dst = SourceWithRows(dir, "dst.fdb");
    const std::string before = DatabaseDigest(dst, {"t1"});
    JobBench b;
    b.Databases(src, dst);
    b.job.settings.dstReplace = false;
    EXPECT_EQ(b.job.RunJob().outcome, engine::JobOutcome::DestinationFailed);
    EXPECT_EQ(b.CountCaption("DB " + dst), 0);  // neither dropped nor created
    ASSERT_EQ(b.Red().size(), 2u);
    EXPECT_EQ(b.Red()[0].caption, "Fatal error");
    EXPECT_TRUE(b.ui.messages.empty());
    CommitAndDisconnect(b.job.srcDb);
    EXPECT_EQ(DatabaseDigest(dst, {"t1"}), before);
}

TEST(SameDatabase, EverySpellingOfTheSourceIsRefusedAndTheSourceStaysAsItWas) {
    TempDir dir;
    const std::string src = SourceWithRows(dir);
    std::filesystem::create_directory(dir.File("sub"));
    std::filesystem::create_symlink(src, dir.File("link.fdb"));
    const std::string before = DatabaseDigest(src, {"t1"});
    CurrentFolder here(dir.Path());
    struct Spelling {
        std::string destination;
        bool replace;
    };
    const Spelling spellings[] = {
        {src, true},           {src, false},           {"src.fdb", true},
        {"./src.fdb", true},   {"sub/../src.fdb", true}, {dir.File("link.fdb"), true},
        {dir.File("link.fdb"), false}, {"localhost:" + src, true},
    };
    for (const Spelling& s : spellings) {
        SCOPED_TRACE(s.destination + (s.replace ? " (replace)" : " (keep)"));
        JobBench b;
        b.Databases(src, s.destination);
        if (s.destination.rfind("localhost:", 0) == 0) {
            b.job.settings.dstRemote = true;
            b.job.settings.dstServer = "localhost";
            b.job.settings.dstPath = src;
        }
        b.job.settings.dstReplace = s.replace;
        EXPECT_EQ(b.job.RunJob().outcome, engine::JobOutcome::DestinationFailed);
        EXPECT_EQ(b.ui.messages, std::vector<std::string>{kSameText});
        EXPECT_EQ(b.job.dstDb.DatabaseName(), "");
        // One red line, and nothing tried on the refused destination.
        EXPECT_TRUE(b.HasLine("DB " + s.destination + ": is the source database: nothing was dropped or created"));
        EXPECT_EQ(b.CountCaption("Fatal error"), 0);
        EXPECT_FALSE(b.HasLine("DB " + src + ": droped successfully"));
        EXPECT_FALSE(b.HasLine("DB : drop canceled"));
        CommitAndDisconnect(b.job.srcDb);
        EXPECT_EQ(DatabaseDigest(src, {"t1"}), before);
    }
}

TEST(SameDatabase, NamesDifferingOnlyInLetterCaseAreDifferentDatabases) {
    TempDir dir;
    const std::string src = SourceWithRows(dir, "Base.fdb");
    const std::string before = DatabaseDigest(src, {"t1"});
    JobBench b;
    b.Databases(src, dir.File("base.fdb"));
    EXPECT_EQ(b.job.RunJob().outcome, engine::JobOutcome::Finished);
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_TRUE(b.HasLine("DB " + dir.File("base.fdb") + ": created"));
    EXPECT_EQ(DatabaseDigest(src, {"t1"}), before);
}

TEST(SameDatabase, ConnectDestinationRefusesTheSourceAfterTheJobConnectedIt) {
    TempDir dir;
    const std::string src = SourceWithRows(dir);
    JobBench b;
    b.Databases(src, dir.File("./src.fdb"));
    b.job.ReconnectSource("NONE");
    b.job.ConnectDestination();
    EXPECT_EQ(b.ui.messages, std::vector<std::string>{kSameText});
    EXPECT_FALSE(b.job.dstDb.Connected());
    EXPECT_EQ(b.job.dstDb.DatabaseName(), "");
}

// ---- through the server on 127.0.0.1

TEST(RemoteConnection, ConnectionTestAndTheServersMessageForAWrongPassword) {
    DRAVIK_REQUIRE_SERVER();
    TempDir dir;
    const std::string src = SourceWithRows(dir);
    JobBench b;
    b.job.settings.srcRemote = true;
    b.job.settings.srcServer = "localhost";
    b.job.settings.srcPath = src;
    EXPECT_TRUE(b.job.TestSourceConnection());
    EXPECT_FALSE(b.job.srcDb.Connected());
    EXPECT_EQ(b.job.SourceName(), "localhost:" + src);

    b.job.settings.srcPassword = "not-the-password";
    EXPECT_FALSE(b.job.TestSourceConnection());
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0].rfind("Not connected: \n", 0), 0u);
    EXPECT_NE(b.ui.messages[0].find("user name and password are not defined"), std::string::npos)
        << b.ui.messages[0];
}

TEST(RemoteConnection, JobCreatesTheDestinationOnTheServerAndLogsThePathsAsTyped) {
    DRAVIK_REQUIRE_SERVER();
    TempDir dir;
    const std::string src = SourceWithRows(dir);
    const std::string dst = dir.File("remote-dst.fdb");
    JobBench b;
    b.job.settings.srcRemote = true;
    b.job.settings.srcServer = "localhost";
    b.job.settings.srcPath = " " + src;
    b.job.settings.dstRemote = true;
    b.job.settings.dstServer = "localhost";
    b.job.settings.dstPath = dst;
    b.job.settings.pageSize = "8192";
    ASSERT_EQ(b.job.RunJob().outcome, engine::JobOutcome::Finished) << ::testing::PrintToString(b.Lines());
    EXPECT_TRUE(b.HasLine("DB  " + src + ": connected"));
    EXPECT_TRUE(b.HasLine("DB localhost:" + dst + ": created"));
    EXPECT_TRUE(b.HasLine("DB " + dst + ": connected"));
    EXPECT_TRUE(b.Red().empty());
    EXPECT_EQ(Scalar(Remote(dst), "select mon$page_size from mon$database"), "8192");
}

TEST(RemoteConnection, SourceOnTheServerAndTheSameFileAsALocalDestinationIsRefused) {
    DRAVIK_REQUIRE_SERVER();
    TempDir dir;
    const std::string src = SourceWithRows(dir);
    const std::string before = DatabaseDigest(src, {"t1"});
    JobBench b;
    b.job.settings.srcRemote = true;
    b.job.settings.srcServer = "127.0.0.1";
    b.job.settings.srcPath = src;
    b.job.settings.dstPath = src;
    EXPECT_EQ(b.job.RunJob().outcome, engine::JobOutcome::DestinationFailed);
    EXPECT_EQ(b.ui.messages, std::vector<std::string>{kSameText});
    CommitAndDisconnect(b.job.srcDb);
    EXPECT_EQ(DatabaseDigest(src, {"t1"}), before);
}

}  // namespace

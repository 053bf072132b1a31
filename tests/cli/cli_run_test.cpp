// dravik-clone run as a process: help, listing, exit statuses for a clean
// clone, a clone with red lines, a destination that cannot be created, bad
// input; and what the options change in the destination.
#include "cli/cli_fixture.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "app/engine/log.h"

namespace dravik::test {
namespace {

class CliRunTest : public CliFixture {};

TEST_F(CliRunTest, HelpExitsZeroAndTouchesNothing) {
    const CloneRun run = RunClone({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: dravik-clone [OPTIONS] SOURCE DESTINATION\n", 0), 0u) << run.out;
    EXPECT_EQ(run.err, "");
}

TEST_F(CliRunTest, ListPrintsEachPageAndItsObjects) {
    MakeSmallSource();
    const CloneRun run = RunClone({"--list", src});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "UDF\n"
              "Domain\n\tD_NAME\n"
              "GENERATORS\n\tG_ITEM\n"
              "Exceptions\n\tE_OOPS\n"
              "Procedures\n\tITEM_COUNT\n"
              "Tables\n\tITEM\n\tTAG\n"
              "Views\n\tV_ITEM\n"
              "Data\n\tITEM\n\tTAG\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(CliRunTest, CleanCloneExitsZeroWithEveryRow) {
    MakeSmallSource();
    const CloneRun run = RunClone({src, dst});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> log = Lines(run.out);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "Database copy: complete");
    EXPECT_TRUE(HasLineStarting(run.out, "Start time:: ")) << run.out;
    EXPECT_TRUE(HasLine(run.out, "DB " + dst + ": created")) << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << "colours written to a file";

    const std::string all = "select * from ITEM order by ID";
    EXPECT_EQ(Rows(dst, all), Rows(src, all));
    EXPECT_EQ(Rows(dst, "select * from TAG order by ID"), Rows(src, "select * from TAG order by ID"));
    EXPECT_EQ(Count(dst, "ITEM where PRICE is null"), "5");
    EXPECT_EQ(Scalar(dst, "select gen_id(G_ITEM, 0) from rdb$database"), "42");
    EXPECT_EQ(Scalar(dst, "select count(*) from V_ITEM"), "25");
    EXPECT_EQ(Scalar(dst, "select N from ITEM_COUNT"), "25");
}

// On a terminal the intermediate progress lines of a table are one line
// redrawn in place and only its final count stays; a --log file keeps them all.
TEST_F(CliRunTest, ProgressIsOneLiveLineOnATerminalAndEveryLineInTheLogFile) {
    std::FILE* terminal = std::tmpfile();
    ASSERT_NE(terminal, nullptr);
    engine::TerminalSink live(terminal, false, false, true);
    auto progress = [](std::int64_t done) {
        engine::LogEntry entry{"Скопировано:", engine::kGrey, std::to_string(done) + " записей (0 ошибок)",
                               engine::kGreen};
        entry.progress = {true, "T", done, 1500};
        return entry;
    };
    live.Append({"COPY DATA", engine::kGrey, "T", engine::kGreen});
    live.Append(progress(500));
    live.Append(progress(1000));
    live.Append({"Скопировано:", engine::kGrey, "1500 записей (0 ошибок)", engine::kGreen});
    std::rewind(terminal);
    std::string shown;
    for (int c; (c = std::fgetc(terminal)) != EOF;) shown += static_cast<char>(c);
    std::fclose(terminal);
    EXPECT_EQ(shown.rfind("COPY DATA: T\n\r\x1b[KT: 500 of 1500 rows\r\x1b[KT: 1000 of 1500 rows", 0), 0u) << shown;
    const std::string last = "\r\x1b[KСкопировано:: 1500 записей (0 ошибок)\n";
    ASSERT_GE(shown.size(), last.size());
    EXPECT_EQ(shown.substr(shown.size() - last.size()), last) << shown;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 2) << shown;

    MakeSmallSource();
    const std::string log = dir.File("run.log");
    const CloneRun run = RunClone({"--commit-every", "10", "--log", log, src, dst});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    std::ifstream file(log);
    const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, run.out);  // the same lines as a run log that is not a terminal
    EXPECT_TRUE(HasLine(written, "Скопировано:: 10 записей (0 ошибок)")) << written;
    EXPECT_EQ(RunClone({"--log", dir.File("no-such-folder/run.log"), src, dst}).status, 2);
}

TEST_F(CliRunTest, RedLinesExitOne) {
    MakeSmallSource();
    // Without its table the view cannot be created: one red line.
    // Without verification, which would add the missing view's lines.
    const CloneRun run =
        RunClone({"--no-verify", "--tables", "none", "--data", "none", "--procedures", "none", src, dst});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_TRUE(HasLineStarting(run.out, "CREATE VIEW V_ITEM: ")) << run.out;
    EXPECT_EQ(Lines(run.out).back(), "Database copy: complete");
    EXPECT_EQ(run.err, "dravik-clone: finished with 1 error line in the run log\n");
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$relations where rdb$relation_name in ('ITEM', 'V_ITEM')"), "0");
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$generators where rdb$generator_name = 'G_ITEM'"), "1");
}

TEST_F(CliRunTest, NarrowedDataCopiesOnlyTheNamedTables) {
    MakeSmallSource();
    const CloneRun run = RunClone({"--data", "tag", "--no-generator-values", src, dst});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Count(dst, "TAG"), "3");
    EXPECT_EQ(Count(dst, "ITEM"), "0");
    EXPECT_EQ(Scalar(dst, "select gen_id(G_ITEM, 0) from rdb$database"), "0");
    EXPECT_FALSE(HasLine(run.out, "COPY DATA: ITEM")) << run.out;
}

TEST_F(CliRunTest, PageSizeDialectAndCharacterSetOfTheNewDatabase) {
    MakeSmallSource();
    const CloneRun run = RunClone({"--page-size", "8192", "--default-charset", "UTF8", src, dst});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Scalar(dst, "select mon$page_size from mon$database"), "8192");
    EXPECT_EQ(Scalar(dst, "select rdb$character_set_name from rdb$database"), "UTF8");
    EXPECT_EQ(Count(dst, "ITEM"), "25");

    // Without --page-size and --dialect the clone keeps the source's; asked
    // for dialect 1, a dialect 3 source gives a dialect 1 database.
    const std::string large = dir.File("large.fdb");
    CreateDatabase(large, "NONE", 16384);
    Isql(large, "CREATE TABLE T (ID INTEGER);\nINSERT INTO T VALUES (1);\nCOMMIT;\n");
    ASSERT_EQ(RunClone({large, dst}).status, 0);
    EXPECT_EQ(Scalar(dst, "select mon$page_size || ' ' || mon$sql_dialect from mon$database"), "16384 3");
    ASSERT_EQ(RunClone({"--dialect", "1", large, dst}).status, 0);
    EXPECT_EQ(Scalar(dst, "select mon$page_size || ' ' || mon$sql_dialect from mon$database"), "16384 1");

}

// Names and literals in another alphabet, from a UTF8 source through a
// WIN1251 destination code page: every statement reaches the server in the
// attachment's character set, so every table keeps its rows.
TEST_F(CliRunTest, CyrillicNamesKeepTheirRowsUnderAWin1251CodePage) {
    CreateDatabase(src, "UTF8");
    Isql(src, R"(
CREATE DOMAIN "Сумма" AS NUMERIC(9,2) DEFAULT 0 CHECK (VALUE >= 0);
CREATE TABLE "Заказы" ("Номер" INTEGER NOT NULL PRIMARY KEY, "Товар" VARCHAR(20) DEFAULT 'хлеб', "Цена" "Сумма");
CREATE TABLE "Строки" ("Заказ" INTEGER REFERENCES "Заказы", "Текст" VARCHAR(30) CHARACTER SET WIN1251);
CREATE VIEW "Дорогие" AS SELECT "Номер", "Товар" FROM "Заказы" WHERE "Цена" > 10;
INSERT INTO "Заказы" VALUES (1, 'Хлеб', 2.5);
INSERT INTO "Заказы" VALUES (2, 'Молоко', 12);
INSERT INTO "Строки" VALUES (2, 'свежее');
COMMIT;
)", false, "UTF8");
    const CloneRun run = RunClone({"--charset", "WIN1251", "--dst-charset", "WIN1251", src, dst});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Scalar(dst, "select count(*) from \"Заказы\"", "UTF8"), "2");
    EXPECT_EQ(Scalar(dst, "select \"Текст\" from \"Строки\"", "UTF8"), "свежее");
    EXPECT_EQ(Scalar(dst, "select \"Товар\" from \"Дорогие\"", "UTF8"), "Молоко");
    EXPECT_TRUE(HasLine(run.out, "Заказы: 2 rows, equal")) << run.out;
}

TEST_F(CliRunTest, VerboseWritesTheSummaryAndStepsToStderr) {
    MakeSmallSource();
    const CloneRun run = RunClone({"-v", "--data", "none", src, dst});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(HasLine(run.err, "Source database: " + src)) << run.err;
    EXPECT_TRUE(HasLine(run.err, "Tables:")) << run.err;
    EXPECT_TRUE(HasLine(run.err, "\tITEM")) << run.err;
    EXPECT_TRUE(HasLine(run.err, "step: Database creation")) << run.err;
    EXPECT_TRUE(HasLine(run.err, "step: Triggers and keys")) << run.err;
    EXPECT_FALSE(HasLine(run.out, "Source database: " + src)) << "the summary belongs on stderr";
}

TEST_F(CliRunTest, UnwritableDestinationExitsTwoWithTheFatalError) {
    MakeSmallSource();
    const std::string notAFolder = dir.File("plain-file");
    std::ofstream(notAFolder) << "not a folder";
    const std::string target = notAFolder + "/clone.fdb";
    const CloneRun run = RunClone({src, target});
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_TRUE(HasLine(run.out, "Fatal error: DB " + target +
                                     " was not created. Choise other target database or remove database locks"))
        << run.out;
    EXPECT_FALSE(HasLine(run.out, "Database copy: complete"));
    EXPECT_NE(run.err.find("dravik-clone: the destination database was not created"), std::string::npos) << run.err;
}

TEST_F(CliRunTest, DestinationEqualToTheSourceIsRefusedAndTheSourceKept) {
    MakeSmallSource();
    // The same file by its own name, and by another spelling from its folder.
    for (const auto& [target, folder] : {std::pair<std::string, std::string>{src, ""}, {"./small.fdb", dir.Path()}}) {
        const CloneRun run = RunClone({src, target}, folder);
        EXPECT_EQ(run.status, 2) << target << "\n" << run.out << run.err;
        EXPECT_NE(run.err.find("message: The source and the destination databases\ncan NOT be the same"),
                  std::string::npos)
            << run.err;
        EXPECT_TRUE(HasLine(run.out, "DB " + target + ": is the source database: nothing was dropped or created"))
            << run.out;
        EXPECT_EQ(Count(src, "ITEM"), "25") << "the source must survive " << target;
    }
}

TEST_F(CliRunTest, NoReplaceKeepsAnExistingDestination) {
    MakeSmallSource();
    CreateDatabase(dst);
    Exec(dst, "create table KEEP_ME (X INTEGER)");
    const CloneRun run = RunClone({"--no-replace", src, dst});
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_TRUE(HasLineStarting(run.out, "Fatal error: DB " + dst)) << run.out;
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$relations where rdb$relation_name = 'KEEP_ME'"), "1");
}

TEST_F(CliRunTest, BadInputExitsTwoWithAHint) {
    const CloneRun unknown = RunClone({"--bogus", "a.fdb", "b.fdb"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err,
              "dravik-clone: unknown option --bogus\nTry 'dravik-clone --help' for more information.\n");
    EXPECT_EQ(unknown.out, "");

    const CloneRun size = RunClone({"--page-size", "big", "a.fdb", "b.fdb"});
    EXPECT_EQ(size.status, 2);
    EXPECT_NE(size.err.find("--page-size takes one of"), std::string::npos) << size.err;
}

TEST_F(CliRunTest, UnknownObjectNamesAreRefusedBeforeAnythingIsCreated) {
    MakeSmallSource();
    const CloneRun run = RunClone({"--tables", "item,NOPE,also_nope", "--views", "V_GONE", src, dst});
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_NE(run.err.find("--tables: the source has no tables named NOPE, also_nope\n"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("--views: the source has no view named V_GONE\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Try 'dravik-clone --help'"), std::string::npos);
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(Exists(dst));
}

TEST_F(CliRunTest, MissingSourceExitsTwoWithTheServersMessage) {
    const CloneRun run = RunClone({dir.File("missing.fdb"), dst});
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_EQ(run.err.rfind("dravik-clone: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("missing.fdb"), std::string::npos) << run.err;
    EXPECT_FALSE(Exists(dst));
    EXPECT_FALSE(Exists(dir.File("missing.fdb")));
}

TEST_F(CliRunTest, CloneThroughTheServer) {
    DRAVIK_REQUIRE_SERVER();
    MakeSmallSource();
    const CloneRun run = RunClone({"--roles", Remote(src), Remote(dst)});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(HasLine(run.out, "DB " + Remote(dst) + ": created")) << run.out;
    EXPECT_TRUE(HasLine(run.out, "DB " + dst + ": connected")) << run.out;
    EXPECT_EQ(Count(Remote(dst), "ITEM"), "25");
}

TEST_F(CliRunTest, OnOneServerTheServerCopiesTheRowsUnlessItCannot) {
    DRAVIK_REQUIRE_SERVER();
    MakeSmallSource();
    const std::string note = "COPY DATA: the rows are copied by the destination's server, which reads the source itself";
    CloneRun run = RunClone({Remote(src), Remote(dst)});
    ASSERT_EQ(run.status, 0) << run.out << run.err;  // the verification found the clone equal
    EXPECT_TRUE(HasLine(run.out, note)) << run.out;
    EXPECT_EQ(Count(Remote(dst), "ITEM"), "25");

    // A dialect 1 database too: its block is written in dialect 1.
    const std::string dialect1 = dir.File("dialect1.fdb"), dialect1Copy = dir.File("dialect1_copy.fdb");
    CreateDatabase(dialect1, "NONE", 4096, 1);
    Isql(dialect1, "create table T (N numeric(15,2), D date);\ninsert into T values (1.25, '2001-02-03 04:05:06');\n"
                   "commit;\n");
    run = RunClone({Remote(dialect1), Remote(dialect1Copy)});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(HasLine(run.out, note)) << run.out;
    EXPECT_FALSE(HasLineStarting(run.out, "COPY DATA T: copied through Dravik")) << run.out;

    // An array column goes through Dravik, and so do all tables, to be read
    // at one moment.
    Isql(src, "create table ARR (ID integer, A integer[3]);\n"
              "insert into ARR (ID) values (1);\ncommit;\n");
    const std::string second = dir.File("second.fdb");
    run = RunClone({Remote(src), Remote(second)});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_FALSE(HasLine(run.out, note)) << run.out;
    EXPECT_TRUE(HasLine(run.out, "COPY DATA: the rows go through Dravik, so that every table is read at one "
                                 "moment: table ARR has an array column"))
        << run.out;
    EXPECT_EQ(Count(Remote(second), "ITEM"), "25");

    // The server's attachment cannot turn the source's database triggers
    // off: with an active one the rows go through Dravik, whose attachment does.
    Isql(src, "drop table ARR;\ncreate table CONNECTS (N integer);\nset term ^;\n"
              "create trigger ON_CONNECT_ on connect as begin insert into CONNECTS values (1); end^\n"
              "set term ;^\ncommit;\n");
    const std::string third = dir.File("third.fdb");
    run = RunClone({Remote(src), Remote(third)});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_FALSE(HasLine(run.out, note)) << run.out;
    EXPECT_EQ(Count(Remote(third), "ITEM"), "25");
}

}  // namespace
}  // namespace dravik::test

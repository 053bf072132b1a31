// Roles and user privileges between two real databases: roles by CREATE ROLE,
// privileges by GRANT statements built from the source's rows.
#include "engine/engine_bench.h"

#include <algorithm>
#include <iterator>

using namespace dravik;
using namespace dravik::test;
using dravik::engine::CommitAndDisconnect;

namespace {

// Objects the source and the destination share (T2 exists in the source only).
const char* const kObjects =
    "create table t1 (a integer not null primary key, b integer, c varchar(10));\n"
    "create view v1 as select a, b from t1;\n"
    "set term ^;\n"
    "create procedure p1 returns (x integer) as begin x = 1; suspend; end^\n"
    "create trigger tr1 for t1 before insert as begin end^\n"
    "set term ;^\n"
    "create generator g1;\ncreate exception e1 'boom';\ncommit;\n";

const char* const kGrants =
    "create table t2 (a integer);\n"
    "create role r1;\ncreate role r2;\ncommit;\n"
    "grant select on t1 to user bob;\n"
    "grant update(b) on t1 to user bob with grant option;\n"
    "grant references(c) on t1 to role r1;\n"
    "grant insert, delete on t1 to role r2 with grant option;\n"
    "grant execute on procedure p1 to user carol with grant option;\n"
    "grant r1 to bob with admin option;\n"
    "grant r2 to carol;\n"
    "grant select on t1 to procedure p1;\n"
    "grant select on t1 to view v1;\n"
    "grant select on t1 to trigger tr1;\n"
    "grant select on t1 to public;\n"
    "grant all on t2 to user bob;\n"
    "grant select on t2 to procedure p1;\n"
    "grant usage on generator g1 to user bob;\n"
    "grant usage on exception e1 to role r1;\n"
    "grant create table to user dave;\n"
    "grant alter any procedure to role r2 with grant option;\n"
    "grant delete on t1 to user erin granted by bob;\n"
    "commit;\n";

std::vector<std::string> Without(std::vector<std::string> rows, const std::string& object) {
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [&](const std::string& r) { return r.find("|" + object + "|") != std::string::npos; }),
               rows.end());
    return rows;
}

std::vector<std::string> Minus(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::vector<std::string> out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

struct RolesBench : JobBench {
    TempDir dir;
    std::string src = dir.File("src.fdb");
    std::string dst = dir.File("dst.fdb");

    RolesBench(const std::string& sourceScript, const std::string& destinationScript) {
        CreateDatabase(src);
        CreateDatabase(dst);
        if (!sourceScript.empty()) Isql(src, sourceScript);
        if (!destinationScript.empty()) Isql(dst, destinationScript);
    }
    void Connect(const std::string& destinationUser = kUser) {
        Attach(job.srcDb, src);
        job.dstDb.SetDatabaseName(dst);
        job.dstDb.Params() = {"USER_NAME=" + destinationUser, std::string("PASSWORD=") + kPassword, "LC_CTYPE=NONE"};
        job.dstDb.Connect();
    }
    void Close() {
        CommitAndDisconnect(job.srcDb);
        CommitAndDisconnect(job.dstDb);
    }
    std::vector<std::string> Entries(const std::string& caption) const {
        std::vector<std::string> texts;
        for (const auto& e : run.entries)
            if (e.caption == caption) texts.push_back(e.text);
        return texts;
    }
};

TEST(CopyRoles, NoRolesWritesNothing) {
    RolesBench b("create table t (a integer);\ncommit;\n", "");
    b.Connect();
    b.job.CopyRoles(b.job.srcDb, b.job.dstDb);
    EXPECT_TRUE(b.run.entries.empty()) << ::testing::PrintToString(b.Lines());  // RDB$ADMIN is skipped silently
}

TEST(CopyRoles, EachRoleTrimmedAndExistingOnesSkippedSilently) {
    RolesBench b("create role r1;\ncreate role r2;\ncreate role analysts;\ncommit;\n", "create role r2;\ncommit;\n");
    b.Connect();
    b.job.CopyRoles(b.job.srcDb, b.job.dstDb);
    auto created = b.Entries("CREATE ROLE");
    std::sort(created.begin(), created.end());
    EXPECT_EQ(created, (std::vector<std::string>{"ANALYSTS", "R1"}));
    EXPECT_TRUE(b.Red().empty());
    for (const auto& e : b.run.entries) EXPECT_EQ(e.textColour, engine::kGreen);
    EXPECT_FALSE(b.job.dstDb.DefaultTransaction().InTransaction());
    b.Close();
    EXPECT_EQ(Column(b.dst, "select rdb$role_name from rdb$roles where rdb$system_flag = 0 order by 1"),
              (std::vector<std::string>{"ANALYSTS", "R1", "R2"}));
}

TEST(CopyRoles, UnreadableRoleListIsOneRedLineAndAStopLeavesAtOnce) {
    RolesBench b("create role r1;\ncreate role r2;\ncommit;\n", "");
    db::DbConnection nowhere;
    b.Connect();
    b.job.CopyRoles(nowhere, b.job.dstDb);
    ASSERT_EQ(b.Red().size(), 1u);
    EXPECT_EQ(b.Lines(), std::vector<std::string>{"CREATE ROLE: Database name is missing"});

    b.run.Clear();
    b.job.RequestStop();
    b.job.CopyRoles(b.job.srcDb, b.job.dstDb);
    EXPECT_TRUE(b.run.entries.empty());
    b.Close();
    EXPECT_EQ(Scalar(b.dst, "select count(*) from rdb$roles where rdb$system_flag = 0"), "0");
}

TEST(CopyPrivileges, GrantsGiveTheDestinationTheSourcesPrivilegesOnCopiedObjects) {
    RolesBench b(std::string(kObjects) + kGrants, kObjects);
    const auto before = UserPrivileges(b.dst);
    b.Connect();
    b.job.CopyRoles(b.job.srcDb, b.job.dstDb);
    b.job.CopyPrivileges(b.job.srcDb, b.job.dstDb);
    EXPECT_TRUE(b.Red().empty()) << ::testing::PrintToString(b.Lines());
    ASSERT_FALSE(b.run.entries.empty());
    EXPECT_EQ(b.Lines().back(), "GRANT PRIVILEGES: Выполнено успешно");
    EXPECT_EQ(b.run.entries.back().textColour, engine::kGreen);
    const auto statements = b.Entries("SQL");
    for (const std::string& sql : statements) {
        EXPECT_EQ(sql.rfind("GRANT ", 0), 0u) << sql;
        EXPECT_EQ(sql.substr(sql.size() - 2), "\r\n") << sql;
        EXPECT_EQ(sql.find("T2"), std::string::npos) << sql;  // not copied: skipped
    }
    EXPECT_NE(std::find(statements.begin(), statements.end(),
                        "GRANT UPDATE(B) ON TABLE T1 TO USER BOB WITH GRANT OPTION\r\n"),
              statements.end());
    EXPECT_NE(std::find(statements.begin(), statements.end(), "GRANT R1 TO USER BOB WITH ADMIN OPTION\r\n"),
              statements.end());
    EXPECT_NE(std::find(statements.begin(), statements.end(), "GRANT DELETE ON TABLE T1 TO USER ERIN GRANTED BY BOB\r\n"),
              statements.end());
    b.Close();

    const auto expected = Without(UserPrivileges(b.src), "T2");
    EXPECT_EQ(UserPrivileges(b.dst), expected);
    // One statement per privilege the destination lacked; the owner's rows
    // it got at creation were not granted again.
    EXPECT_EQ(statements.size(), Minus(expected, before).size());
}

TEST(CopyPrivileges, AFailingGrantUndoesEveryGrantOfTheStep) {
    // The destination is written by ZED, who may pass on SELECT but may not
    // name another grantor: the second grant fails after the first landed.
    RolesBench b("create table t1 (a integer);\ncommit;\n"
                 "grant select on t1 to user amy granted by zed;\n"
                 "grant insert on t1 to user amy;\ncommit;\n",
                 "create table t1 (a integer);\ncommit;\ngrant select on t1 to user zed with grant option;\ncommit;\n");
    b.Connect("ZED");
    b.job.CopyPrivileges(b.job.srcDb, b.job.dstDb);
    ASSERT_EQ(b.Red().size(), 1u) << ::testing::PrintToString(b.Lines());
    EXPECT_EQ(b.Red()[0].caption, "GRANT");
    EXPECT_FALSE(b.Red()[0].text.empty());
    EXPECT_EQ(b.Entries("SQL").size(), 2u);
    EXPECT_EQ(b.CountCaption("GRANT PRIVILEGES"), 0);
    EXPECT_EQ(b.job.Report().errorLines, 1);
    EXPECT_FALSE(b.job.dstDb.DefaultTransaction().InTransaction());
    b.Close();
    EXPECT_EQ(Scalar(b.dst, "select count(*) from rdb$user_privileges where rdb$user = 'AMY'"), "0");
}

TEST(CopyPrivileges, StopLeavesTheGrantsSoFarInTheOpenTransaction) {
    RolesBench b(std::string(kObjects) + kGrants, kObjects);
    b.Connect();
    b.ui.onEvents = [&] {
        if (!b.run.entries.empty() && b.run.entries.back().caption == "SQL") b.job.RequestStop();
    };
    b.job.CopyPrivileges(b.job.srcDb, b.job.dstDb);
    ASSERT_EQ(b.Entries("SQL").size(), 1u);
    EXPECT_EQ(b.CountCaption("GRANT PRIVILEGES"), 0);
    EXPECT_TRUE(b.Red().empty());
    EXPECT_TRUE(b.job.dstDb.DefaultTransaction().InTransaction());
    const auto before = UserPrivileges(b.dst);
    b.Close();  // the job's final step commits it
    EXPECT_EQ(UserPrivileges(b.dst).size(), before.size() + 1);
}

// ---- the same through a whole job, with the frames building the objects

TEST(JobWithRolesAndGrants, DestinationEndsWithTheSourcesPrivilegesForCopiedObjects) {
    TempDir dir;
    const std::string src = dir.File("src.fdb");
    const std::string dst = dir.File("dst.fdb");
    CreateDatabase(src);
    Isql(src, std::string(kObjects) + kGrants);
    JobBench b;
    b.Databases(src, dst);
    b.job.settings.createRoles = true;
    b.job.settings.grant = true;
    b.job.LoadFrames();
    ASSERT_TRUE(b.job.Frame_select_table1.Deselect("T2"));
    const engine::JobReport report = b.job.RunJob();
    ASSERT_EQ(report.outcome, engine::JobOutcome::Finished);
    EXPECT_TRUE(b.Red().empty()) << ::testing::PrintToString(b.Lines());
    EXPECT_EQ(report.errorLines, 0);
    EXPECT_TRUE(b.HasLine("GRANT PRIVILEGES: Выполнено успешно"));
    EXPECT_EQ(Scalar(dst, "select count(*) from rdb$relations where rdb$relation_name = 'T2'"), "0");
    EXPECT_EQ(UserPrivileges(dst), Without(UserPrivileges(src), "T2"));
}

TEST(JobWithRolesAndGrants, StopDuringRolesDoesNotEndTheJobEarly) {
    TempDir dir;
    const std::string src = dir.File("src.fdb");
    CreateDatabase(src);
    Isql(src, "create role r1;\ncreate role r2;\ncreate role r3;\ncommit;\n");
    JobBench b;
    b.Databases(src, dir.File("dst.fdb"));
    b.job.settings.createRoles = true;
    b.job.settings.grant = true;
    b.ui.onEvents = [&] {
        if (!b.run.entries.empty() && b.run.entries.back().caption == "CREATE ROLE") b.job.RequestStop();
    };
    EXPECT_EQ(b.job.RunJob().outcome, engine::JobOutcome::Finished);
    EXPECT_EQ(b.CountCaption("CREATE ROLE"), 1);
    EXPECT_EQ(b.CountCaption("GRANT PRIVILEGES"), 0);  // left at its first row
    EXPECT_EQ(b.CountCaption("Finish time:"), 1);
    EXPECT_EQ(b.Lines().back(), "Database copy: complete");
    EXPECT_FALSE(b.job.dstDb.Connected());
    EXPECT_EQ(Scalar(dir.File("dst.fdb"), "select count(*) from rdb$roles where rdb$system_flag = 0"), "1");
}

}  // namespace

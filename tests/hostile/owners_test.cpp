// Objects of another user than the one cloning, and the database's mappings.
// A table BOB made (allowed to by GRANT CREATE TABLE) is BOB's in the clone,
// and BOB reads it there without any grant copied; the role that let the
// job act in his name is not left to him; the mappings come with the roles;
// with the privileges copied too, BOB's own rights on it are no difference.
// --compare reports a changed owner and a lost mapping. A server, which
// wants BOB's password, gets the table made by the cloning user, BOB every
// right on it with grant option, a note line saying so, and the owner
// difference reported by the verification.
#include "db/db_query.h"
#include "frames/declareSQL.h"
#include "hostile/hostile_fixture.h"

namespace dravik::test {
namespace {

// Runs a statement, or reads the first value of a select, through an
// embedded attachment in that user's name (the engine asks no password).
std::string AsUser(const std::string& database, const std::string& user, const std::string& sql) {
    db::DbConnection connection;
    connection.SetDatabaseName(database);
    connection.Params().push_back("USER_NAME=" + user);
    connection.Connect();
    std::string value;
    if (sql.rfind("select", 0) == 0) {
        auto query = frames::NewQuery(connection, sql);
        query->Open();
        value = query->Fields(0).AsString();
        query->Close();
    } else {
        frames::ExecStatement(connection, sql);
    }
    connection.Disconnect();
    return value;
}

class Owners : public HostileTest {
protected:
    void MakeOwnedSource() {
        CreateDatabase(src);
        Isql(src, "create table SHARED (X integer);\n"
                  "grant create table to user BOB;\n"
                  "create mapping BOB_AS_CLERK using plugin Srp from user BOB to user CLERK;\n"
                  "create mapping ADMINS using plugin Win_Sspi from predefined_group domain_any_rid_admins "
                  "to role rdb$admin;\n"
                  "commit;\n");
        AsUser(src, "BOB", "create table BOB_T (ID integer, NOTE varchar(10))");
        AsUser(src, "BOB", "insert into BOB_T values (1, 'mine')");
    }

    static std::string OwnerOf(const std::string& database, const std::string& table) {
        return Scalar(database, "select RDB$OWNER_NAME from RDB$RELATIONS where RDB$RELATION_NAME = '" + table + "'");
    }
};

TEST_F(Owners, AnOwnersTableStaysHisAndTheMappingsComeWithTheRoles) {
    MakeOwnedSource();
    const Snapshot before = TakeSnapshot(src);
    const Outcome run = RunCloneWithin({"--roles", src, dst});
    ExpectReport("an owner's table and two mappings", run, 0);
    EXPECT_EQ(OwnerOf(dst, "BOB_T"), "BOB");
    EXPECT_EQ(OwnerOf(dst, "SHARED"), "SYSDBA");
    EXPECT_EQ(AsUser(dst, "BOB", "select NOTE from BOB_T"), "mine");
    EXPECT_EQ(Scalar(dst, "select count(*) from RDB$USER_PRIVILEGES where RDB$RELATION_NAME = 'RDB$ADMIN' "
                          "and RDB$USER = 'BOB'"),
              "0");
    EXPECT_EQ(Column(dst, "select trim(RDB$MAP_NAME) || ' ' || trim(RDB$MAP_FROM_TYPE) || ' ' || "
                          "trim(RDB$MAP_FROM) || ' ' || RDB$MAP_TO from RDB$AUTH_MAPPING order by 1"),
              (std::vector<std::string>{"ADMINS PREDEFINED_GROUP DOMAIN_ANY_RID_ADMINS RDB$ADMIN",
                                        "BOB_AS_CLERK USER BOB CLERK"}));
    EXPECT_TRUE(HasLine(run.out, "mapping: 2 equal")) << run.out;
    // With the privileges copied too, the owner's own rights are no difference.
    const Outcome granted = RunCloneWithin({"--grants", src, dir.File("granted.fdb")});
    ExpectReport("an owner's table cloned with the privileges", granted, 0);
    ExpectUnchanged("an owner's table and two mappings", src, before);

    // The same table made by another user, and a mapping lost.
    Isql(dst, "drop table BOB_T;\ndrop mapping ADMINS;\ncommit;\n"
              "create table BOB_T (ID integer, NOTE varchar(10));\ncommit;\n"
              "insert into BOB_T values (1, 'mine');\ncommit;\n");
    const Outcome compared = RunCloneWithin({"--compare", src, dst});
    ExpectReport("a changed owner and a lost mapping compared", compared, 1);
    EXPECT_TRUE(HasLine(compared.out, "table BOB_T: owner differs: BOB | SYSDBA")) << compared.out;
    EXPECT_TRUE(HasLine(compared.out, "mapping ADMINS: only in source")) << compared.out;
}

TEST_F(Owners, AServerDestinationGivesTheOwnerHisRightsAndSaysSo) {
    DRAVIK_REQUIRE_SERVER();
    MakeOwnedSource();
    const std::string remote = Remote(dst);
    const Outcome run = RunCloneWithin({src, remote});
    ExpectReport("an owner's table cloned to a server", run, 1);
    EXPECT_TRUE(HasLineStarting(run.out, "OWNER BOB: the destination cannot act in this user's name")) << run.out;
    EXPECT_TRUE(HasLineStarting(run.out, "Verification: table BOB_T: owner differs: BOB | SYSDBA")) << run.out;
    EXPECT_EQ(OwnerOf(remote, "BOB_T"), "SYSDBA");
    EXPECT_EQ(Scalar(remote, "select list(trim(RDB$PRIVILEGE), '') from (select RDB$PRIVILEGE from RDB$USER_PRIVILEGES "
                             "where RDB$USER = 'BOB' and RDB$RELATION_NAME = 'BOB_T' and RDB$GRANT_OPTION = 1 "
                             "order by 1)"),
              "DIRSU");
}

}  // namespace
}  // namespace dravik::test

// The command line of dravik-clone: defaults, the environment, values that
// are refused, and how database names split into server and path.
#include "app/cli/cli_options.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace dravik::cli {
namespace {

// Sets or clears an environment variable for one test, restoring it after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class ParseTest : public ::testing::Test {
protected:
    ScopedEnv user_{"ISC_USER", nullptr};
    ScopedEnv password_{"ISC_PASSWORD", nullptr};

    CliOptions Parse(const std::vector<std::string>& args) {
        std::string error;
        auto o = ParseCommandLine(args, error);
        EXPECT_TRUE(o.has_value()) << error;
        EXPECT_EQ(error, "");
        return o.value_or(CliOptions{});
    }
    std::string Refused(const std::vector<std::string>& args) {
        std::string error;
        EXPECT_FALSE(ParseCommandLine(args, error).has_value()) << "accepted: " << ::testing::PrintToString(args);
        return error;
    }
};

TEST_F(ParseTest, DefaultsAreTheFormsAndEveryObjectIsCopied) {
    const CliOptions o = Parse({"/data/src.fdb", "/data/dst.fdb"});
    const engine::JobSettings& s = o.settings;
    EXPECT_EQ(s.srcPath, "/data/src.fdb");
    EXPECT_FALSE(s.srcRemote);
    EXPECT_EQ(s.dstPath, "/data/dst.fdb");
    EXPECT_EQ(s.srcUser, "SYSDBA");
    EXPECT_EQ(s.srcPassword, "corbelfin");
    EXPECT_EQ(s.dstUser, "SYSDBA");
    EXPECT_EQ(s.dstPassword, "corbelfin");
    EXPECT_EQ(s.srcCodePage, "NONE");
    EXPECT_EQ(s.dstCodePage, "NONE");
    EXPECT_EQ(s.pageSize, "") << "the source's page size";
    EXPECT_EQ(s.sqlDialect, 0) << "the source's dialect";
    EXPECT_TRUE(s.dstReplace);
    EXPECT_FALSE(s.createRoles);
    EXPECT_FALSE(s.grant);
    EXPECT_TRUE(s.useGeneratorValues);
    EXPECT_TRUE(s.ignoreErrors);
    EXPECT_EQ(s.commitEvery, 500);
    EXPECT_FALSE(o.list || o.help || o.verbose);
    for (const ObjectChoice* c : {&o.data, &o.udfs, &o.domains, &o.generators, &o.exceptions, &o.procedures,
                                  &o.tables, &o.views})
        EXPECT_TRUE(c->all);
}

TEST_F(ParseTest, DestinationCredentialsAndCodePageFollowTheSource) {
    const CliOptions o = Parse({"-u", "ALICE", "--password=secret", "-c", "WIN1251", "a.fdb", "b.fdb"});
    EXPECT_EQ(o.settings.srcUser, "ALICE");
    EXPECT_EQ(o.settings.dstUser, "ALICE");
    EXPECT_EQ(o.settings.dstPassword, "secret");
    EXPECT_EQ(o.settings.srcCodePage, "WIN1251");
    EXPECT_EQ(o.settings.dstCodePage, "WIN1251");

    const CliOptions own = Parse({"-u", "ALICE", "-p", "x", "--dst-user", "BOB", "--dst-password", "y",
                                  "--charset", "UTF8", "--dst-charset", "NONE", "a.fdb", "b.fdb"});
    EXPECT_EQ(own.settings.dstUser, "BOB");
    EXPECT_EQ(own.settings.dstPassword, "y");
    EXPECT_EQ(own.settings.dstCodePage, "NONE");
    EXPECT_EQ(own.settings.srcPassword, "x");
}

TEST_F(ParseTest, IscUserAndPasswordFromTheEnvironmentUnlessOptionsSayOtherwise) {
    ScopedEnv user("ISC_USER", "ENVUSER");
    ScopedEnv password("ISC_PASSWORD", "envpass");
    const CliOptions o = Parse({"a.fdb", "b.fdb"});
    EXPECT_EQ(o.settings.srcUser, "ENVUSER");
    EXPECT_EQ(o.settings.srcPassword, "envpass");
    EXPECT_EQ(o.settings.dstUser, "ENVUSER");
    EXPECT_EQ(o.settings.dstPassword, "envpass");

    const CliOptions given = Parse({"--user", "OPT", "a.fdb", "b.fdb", "--dst-password", "d"});
    EXPECT_EQ(given.settings.srcUser, "OPT");
    EXPECT_EQ(given.settings.srcPassword, "envpass");
    EXPECT_EQ(given.settings.dstPassword, "d");

    ScopedEnv empty("ISC_USER", "");
    EXPECT_EQ(Parse({"a.fdb", "b.fdb"}).settings.srcUser, "SYSDBA");
}

TEST_F(ParseTest, JobOptions) {
    const CliOptions o = Parse({"--grants", "--no-generator-values", "--stop-on-error", "--commit-every", "1000",
                                "--page-size", "8192", "--no-replace", "-v", "--connect-timeout", "3", "--dialect=1", "a.fdb", "b.fdb"});
    EXPECT_EQ(o.settings.connectTimeout, 3);
    EXPECT_EQ(Parse({"a", "b"}).settings.connectTimeout, 15);
    EXPECT_TRUE(o.settings.grant);
    EXPECT_TRUE(o.settings.createRoles) << "user rights go only together with roles";
    EXPECT_FALSE(o.settings.useGeneratorValues);
    EXPECT_FALSE(o.settings.ignoreErrors);
    EXPECT_EQ(o.settings.commitEvery, 1000);
    EXPECT_EQ(o.settings.pageSize, "8192");
    EXPECT_EQ(o.settings.sqlDialect, 1);
    EXPECT_EQ(Parse({"--dialect", "3", "a", "b"}).settings.sqlDialect, 3);
    EXPECT_FALSE(o.settings.dstReplace);
    EXPECT_TRUE(o.verbose);
    EXPECT_TRUE(Parse({"--roles", "a", "b"}).settings.createRoles);
    EXPECT_FALSE(Parse({"--roles", "a", "b"}).settings.grant);
}

TEST_F(ParseTest, ObjectChoices) {
    const CliOptions o = Parse({"--data", "none", "--tables", " ITEM, tag ,,", "--views=all", "--udfs", "none",
                                "a.fdb", "b.fdb"});
    EXPECT_FALSE(o.data.all);
    EXPECT_TRUE(o.data.names.empty());
    EXPECT_FALSE(o.tables.all);
    EXPECT_EQ(o.tables.names, (std::vector<std::string>{"ITEM", "tag"}));
    EXPECT_TRUE(o.views.all);
    EXPECT_FALSE(o.udfs.all);
    EXPECT_TRUE(o.domains.all);
}

TEST_F(ParseTest, ListNeedsOnlyTheSourceAndHelpNeedsNothing) {
    const CliOptions list = Parse({"--list", "src.fdb"});
    EXPECT_TRUE(list.list);
    EXPECT_EQ(list.settings.srcPath, "src.fdb");
    EXPECT_TRUE(Parse({"--help"}).help);
}

TEST_F(ParseTest, DoubleDashEndsTheOptions) {
    const CliOptions o = Parse({"--", "-odd.fdb", "--also.fdb"});
    EXPECT_EQ(o.settings.srcPath, "-odd.fdb");
    EXPECT_EQ(o.settings.dstPath, "--also.fdb");
}

TEST_F(ParseTest, RefusedInputSaysWhy) {
    EXPECT_EQ(Refused({"--page-size", "abc", "a", "b"}),
              "--page-size takes one of 512, 1024, 2048, 4096, 8192, 16384, not 'abc'");
    EXPECT_NE(Refused({"--page-size", "4095", "a", "b"}).find("not '4095'"), std::string::npos);
    EXPECT_EQ(Refused({"--dialect", "2", "a", "b"}), "--dialect takes 1 or 3, not '2'");
    for (const char* bad : {"abc", "0", "-5", "40000", "12x", ""})
        EXPECT_EQ(Refused({"--commit-every", bad, "a", "b"}),
                  std::string("--commit-every takes a whole number from 1 to 32767, not '") + bad + "'");
    for (const char* bad : {"0", "abc", "3601"})
        EXPECT_EQ(Refused({"--connect-timeout", bad, "a", "b"}),
                  std::string("--connect-timeout takes a whole number of seconds from 1 to 3600, not '") + bad + "'");
    EXPECT_EQ(Refused({"--bogus", "a", "b"}), "unknown option --bogus");
    EXPECT_EQ(Refused({"-x", "a", "b"}), "unknown option -x");
    EXPECT_EQ(Refused({"a", "b", "--user"}), "option --user needs a value");
    EXPECT_EQ(Refused({"only-source.fdb"}), "give a SOURCE and a DESTINATION database");
    EXPECT_EQ(Refused({"a", "b", "c"}), "give a SOURCE and a DESTINATION database");
    EXPECT_EQ(Refused({}), "give a SOURCE and a DESTINATION database");
    EXPECT_EQ(Refused({"--list"}), "give the source database (and nothing more than a destination)");
    EXPECT_EQ(Refused({"server:", "b.fdb"}), "the source database path is empty");
    EXPECT_EQ(Refused({"a.fdb", "server:"}), "the destination database path is empty");
}

struct Split {
    bool remote;
    std::string server, path;
};

Split SplitName(const std::string& name) {
    Split s{true, "junk", "junk"};
    SplitDatabaseName(name, s.remote, s.server, s.path);
    return s;
}

TEST(SplitDatabaseNameTest, ServerAndPath) {
    const Split remote = SplitName("dbhost:/var/db/shop.fdb");
    EXPECT_TRUE(remote.remote);
    EXPECT_EQ(remote.server, "dbhost");
    EXPECT_EQ(remote.path, "/var/db/shop.fdb");

    const Split port = SplitName("dbhost/3051:/var/db/shop.fdb");
    EXPECT_TRUE(port.remote);
    EXPECT_EQ(port.server, "dbhost/3051");
    EXPECT_EQ(port.path, "/var/db/shop.fdb");

    const Split windowsOnServer = SplitName("winbox:C:\\db\\shop.fdb");
    EXPECT_TRUE(windowsOnServer.remote);
    EXPECT_EQ(windowsOnServer.server, "winbox");
    EXPECT_EQ(windowsOnServer.path, "C:\\db\\shop.fdb");
}

TEST(SplitDatabaseNameTest, LocalPaths) {
    for (const std::string name : {"/var/db/shop.fdb", "shop.fdb", "C:\\db\\shop.fdb", "d:/db/shop.fdb",
                                   "/var/db/odd:name.fdb", "./odd:name.fdb", ":shop.fdb"}) {
        const Split s = SplitName(name);
        EXPECT_FALSE(s.remote) << name;
        EXPECT_EQ(s.server, "") << name;
        EXPECT_EQ(s.path, name) << name;
    }
}

TEST(HelpTextTest, NamesEveryOptionTheParserTakes) {
    const std::string help = HelpText();
    for (const char* option : {"-u, --user", "-p, --password", "--dst-user", "--dst-password", "-c, --charset",
                               "--dst-charset", "--page-size", "--no-replace", "--roles", "--grants",
                               "--no-generator-values", "--stop-on-error", "--commit-every", "--data", "--udfs",
                               "--domains", "--generators", "--exceptions", "--procedures", "--tables", "--views",
                               "--list", "--connect-timeout", "-v, --verbose", "-h, --help", "ISC_USER", "ISC_PASSWORD", "130"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace dravik::cli

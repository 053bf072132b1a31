// The sample database of scripts/make-sample-db.sh cloned by dravik-clone:
// the destination's schema as isql-fb extracts it equals the source's (apart
// from what a rebuilt database cannot share), and so do every table's rows
// and every generator's value.
#include "cli/cli_fixture.h"

#include <algorithm>
#include <regex>

namespace dravik::test {
namespace {

const std::vector<std::string> kTables = {"AUDIT_LOG", "CATEGORY", "CUSTOMER", "ORDERS", "ORDER_LINE", "PRODUCT"};
const std::vector<std::string> kGenerators = {"GEN_AUDIT_ID", "GEN_CUSTOMER_ID", "GEN_ORDER_ID"};

// isql-fb -x of a database with what a rebuilt database cannot share taken
// out: the file name, the names of constraints the server named (the clone
// names them anew), and NO ACTION spelt out where the source stored the
// default rule. Statements come as blocks between empty lines; isql orders
// some of them by those names or by creation order, so the blocks are sorted.
std::string Extract(const std::string& database) {
    std::string text;
    const int status = RunCommand("isql-fb -x -ch UTF8 -user SYSDBA -password corbelfin '" + database + "'", &text);
    EXPECT_EQ(status, 0) << text;
    static const std::regex fileName("CREATE DATABASE '[^']*'");
    static const std::regex constraintName("CONSTRAINT INTEG_[0-9_]+ ");
    static const std::regex defaultRule(" ON (UPDATE|DELETE) NO ACTION");
    std::vector<std::string> blocks(1);
    for (std::string line : Lines(text)) {
        line = std::regex_replace(line, fileName, "CREATE DATABASE 'file'");
        line = std::regex_replace(line, constraintName, "");
        line = std::regex_replace(line, defaultRule, "");
        if (line.empty()) {
            if (!blocks.back().empty()) blocks.emplace_back();
            continue;
        }
        blocks.back() += line + "\n";
    }
    std::sort(blocks.begin(), blocks.end());
    std::string result;
    for (const std::string& block : blocks) result += block + "\n";
    return result;
}

// The job's phases in the order a run log must show them, each named by the
// captions its lines carry. Procedures are made among the tables, each once
// what it reads exists; those that call each other come twice: stubs then,
// bodies in the completion pass after the rows. Keys and indices come after
// the rows too, but for a key made with its table.
std::vector<int> PhasesOf(const std::string& runLog) {
    const std::vector<std::pair<std::string, int>> captions = {
        {"Start time:", 0},  {"DB ", 1},          {"CREATE UDF", 2},     {"DOMAIN", 3},
        {"CREATE GENERATOR", 4}, {"CREATE EXCEPTION", 5}, {"CREATE TABLE", 7}, {"CREATE VIEW", 8},
        {"COPY DATA", 9},    {"Скопировано:", 9}, {"TRIGGER", 12},      {"FOREIGN KEY", 12},
        {"CREATE ROLE", 13}, {"SQL", 13},         {"GRANT PRIVILEGES", 13}, {"Finish time:", 14},
        {"Duration:", 14},   {"Database copy", 14}};
    std::vector<int> phases;
    for (const std::string& line : Lines(runLog)) {
        const size_t colon = line.find(": ");
        if (colon == std::string::npos) continue;
        const std::string caption = line.substr(0, colon);
        int phase = -1;
        const bool afterRows = !phases.empty() && phases.back() >= 9;
        if (caption == "PROCEDURE") phase = afterRows ? 11 : 7;
        for (const char* key : {"PRIMARY KEY", "UNIQUE", "INDEX"})
            if (caption.rfind(key, 0) == 0) phase = afterRows ? 10 : 7;
        for (const auto& [prefix, p] : captions)
            if (phase < 0 && caption.rfind(prefix, 0) == 0) phase = p;
        if (phase == 0 && !phases.empty()) phase = 14;  // the second "Start time:" line
        if (phase >= 0 && (phases.empty() || phases.back() != phase)) phases.push_back(phase);
    }
    return phases;
}

class SampleCloneTest : public CliFixture {
protected:
    void SetUp() override {
        std::string output;
        const int status =
            RunCommand("bash '" + std::string(DRAVIK_SOURCE_DIR) + "/scripts/make-sample-db.sh' '" + src + "'", &output);
        ASSERT_EQ(status, 0) << output;
    }

    static void ExpectSameRows(const std::string& source, const std::string& clone) {
        for (const std::string& table : kTables) {
            const std::string sql = "select * from " + table + " order by 1, 2";
            const auto expected = Rows(source, sql, "UTF8");
            EXPECT_FALSE(expected.empty()) << table;
            EXPECT_EQ(Rows(clone, sql, "UTF8"), expected) << table;
        }
        for (const std::string& generator : kGenerators) {
            const std::string sql = "select gen_id(" + generator + ", 0) from rdb$database";
            EXPECT_EQ(Scalar(clone, sql), Scalar(source, sql)) << generator;
        }
    }
};

TEST_F(SampleCloneTest, CloneMatchesTheSourceObjectForObjectAndRowForRow) {
    const CloneRun run = RunClone({"-c", "UTF8", "--page-size", "8192", "--roles", "--grants", src, dst});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(PhasesOf(run.out), (std::vector<int>{0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14})) << run.out;

    const std::string source = Extract(src), clone = Extract(dst);
    EXPECT_NE(source.find("CREATE TABLE CUSTOMER"), std::string::npos) << source;
    EXPECT_EQ(clone, source);
    ExpectSameRows(src, dst);

    // The Cyrillic texts arrived as text, in both character sets.
    EXPECT_EQ(Scalar(dst, "select count(*) from CUSTOMER where CITY = 'Москва'", "UTF8"), "37");
    EXPECT_EQ(Scalar(dst, "select count(*) from CUSTOMER where NAME starting with 'Иван Петров'", "UTF8"), "25");
}

TEST_F(SampleCloneTest, CloneThroughTheServer) {
    DRAVIK_REQUIRE_SERVER();
    const CloneRun run = RunClone({"-c", "UTF8", "--roles", "--grants", Remote(src), Remote(dst)});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    ExpectSameRows(Remote(src), Remote(dst));
}

}  // namespace
}  // namespace dravik::test

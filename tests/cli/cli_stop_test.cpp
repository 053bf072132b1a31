// Ctrl-C in the middle of a long data copy: the job ends after the current
// row with exit status 130, the rows copied so far are committed, and a
// second run replaces the stopped destination and finishes.
#include "cli/cli_fixture.h"

#include <signal.h>

#include <regex>

namespace dravik::test {
namespace {

constexpr int kRows = 200000;

class CliStopTest : public CliFixture {
protected:
    void MakeLargeSource() {
        CreateDatabase(src);
        Isql(src, "CREATE TABLE BIG (ID INTEGER NOT NULL PRIMARY KEY, PAYLOAD VARCHAR(40));\n"
                  "SET TERM ^ ;\n"
                  "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN\n"
                  "  WHILE (I <= " + std::to_string(kRows) + ") DO BEGIN\n"
                  "    INSERT INTO BIG VALUES (:I, 'row ' || :I); I = I + 1;\n"
                  "  END\n"
                  "END^\n"
                  "SET TERM ; ^\n"
                  "COMMIT;\n");
    }
};

// The row count of a "Скопировано:" progress line without errors, or -1.
int CopiedRows(const std::string& line) {
    static const std::regex progress("^Скопировано:: ([0-9]+) записей \\(0 ошибок\\)$");
    std::smatch m;
    return std::regex_match(line, m, progress) ? std::stoi(m[1]) : -1;
}

TEST_F(CliStopTest, SigintStopsTheDataCopyAndASecondRunReplacesTheDestination) {
    MakeLargeSource();
    ASSERT_EQ(Count(src, "BIG"), std::to_string(kRows));

    CloneProcess clone({src, dst});
    std::vector<std::string> log;
    for (std::string line; clone.ReadLine(line);) {
        log.push_back(line);
        if (CopiedRows(line) > 0) break;  // the copy is under way: press Ctrl-C
    }
    ASSERT_FALSE(log.empty());
    ASSERT_GT(CopiedRows(log.back()), 0) << "no progress line before the end of the log";
    clone.Signal(SIGINT);
    EXPECT_EQ(clone.Wait(log), 130);

    int finalCount = -1;
    for (const std::string& line : log) {
        EXPECT_NE(line.rfind("Finish time:", 0), 0u) << "a stopped job writes no finish lines";
        if (line.rfind("Скопировано:", 0) == 0) {
            finalCount = CopiedRows(line);
            EXPECT_GE(finalCount, 0) << "rows failed after the signal: " << line;
        }
    }
    ASSERT_GT(finalCount, 0);
    EXPECT_LT(finalCount, kRows) << "the copy ran to its end instead of stopping";
    // The rows counted up to the stop, the current one included, are committed.
    EXPECT_EQ(Count(dst, "BIG"), std::to_string(finalCount));

    const CloneRun again = RunClone({src, dst});
    ASSERT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_TRUE(HasLine(again.out, "DB " + dst + ": droped successfully")) << again.out;
    EXPECT_TRUE(HasLine(again.out, "Скопировано:: " + std::to_string(kRows) + " записей (0 ошибок)")) << again.out;
    EXPECT_EQ(Count(dst, "BIG"), std::to_string(kRows));
}

}  // namespace
}  // namespace dravik::test

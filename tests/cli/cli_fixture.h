// A small source database for the driver's tests, made afresh per test in a
// temporary folder through the embedded engine, and the helpers that read
// the results back.
#pragma once

#include "cli/clone_process.h"
#include "support/frame_pair.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace dravik::test {

class CliFixture : public ::testing::Test {
protected:
    TempDir dir;
    std::string src = dir.File("small.fdb");
    std::string dst = dir.File("clone.fdb");

    // One of each schema object, a view over ITEM, 25 ITEM rows with NULLs
    // and 3 TAG rows.
    void MakeSmallSource() {
        CreateDatabase(src);
        Isql(src, R"(
CREATE DOMAIN D_NAME AS VARCHAR(30) DEFAULT 'nobody' NOT NULL;
CREATE GENERATOR G_ITEM;
SET GENERATOR G_ITEM TO 42;
CREATE EXCEPTION E_OOPS 'oops';
CREATE TABLE ITEM (ID INTEGER NOT NULL PRIMARY KEY, NAME D_NAME, PRICE NUMERIC(9,2), NOTE VARCHAR(20));
CREATE TABLE TAG (ID INTEGER NOT NULL, LABEL VARCHAR(10));
CREATE VIEW V_ITEM AS SELECT ID, NAME FROM ITEM;
SET TERM ^ ;
CREATE PROCEDURE ITEM_COUNT RETURNS (N INTEGER) AS BEGIN SELECT COUNT(*) FROM ITEM INTO :N; SUSPEND; END^
EXECUTE BLOCK AS
DECLARE I INTEGER = 1;
BEGIN
  WHILE (I <= 25) DO
  BEGIN
    INSERT INTO ITEM VALUES (:I, 'item ' || :I, IIF(MOD(:I, 5) = 0, NULL, :I * 1.5), IIF(MOD(:I, 2) = 0, NULL, 'odd'));
    I = I + 1;
  END
END^
SET TERM ; ^
INSERT INTO TAG VALUES (1, 'red');
INSERT INTO TAG VALUES (2, NULL);
INSERT INTO TAG VALUES (3, 'blue');
COMMIT;
)");
    }

    static std::string Count(const std::string& database, const std::string& table) {
        return Scalar(database, "select count(*) from " + table);
    }

    static bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

    // True when a line of the text, trailing blanks aside, equals the given one.
    static bool HasLine(const std::string& text, const std::string& line) {
        for (std::string l : Lines(text)) {
            while (!l.empty() && l.back() == ' ') l.pop_back();
            if (l == line) return true;
        }
        return false;
    }
    // True when a line of the text begins with the given prefix.
    static bool HasLineStarting(const std::string& text, const std::string& prefix) {
        for (const std::string& l : Lines(text))
            if (l.rfind(prefix, 0) == 0) return true;
        return false;
    }
};

}  // namespace dravik::test

// Rows copied by the destination's server: equal to the source's, a refused
// copy leaves the table empty for the other way, and a stop keeps the count
// the destination holds.
#include "db/db_query.h"
#include "frames/server_side_copy.h"
#include "support/test_support.h"

#include <vector>

using namespace dravik;
using namespace dravik::test;

namespace {

const char* kTable =
    "create table T (ID integer not null, V varchar(12) character set WIN1251, "
    "B blob sub_type 1 character set UTF8, X blob sub_type 0, K computed by (ID + 1)";

const char* kRows =
    "set term ^;\nexecute block as declare i integer = 1; begin while (i <= 1200) do begin\n"
    "insert into T (ID, V, B, X) values (:i, iif(mod(:i, 4) = 0, null, _WIN1251 x'CFF0E8' || :i),\n"
    "  iif(mod(:i, 3) = 0, null, 'Привет ' || rpad('', mod(:i, 700), 'ж')), x'00FF' || :i);\n"
    "i = i + 1; end end^\nset term ;^\ncommit;\n";

// One line that changes with any value of any row.
const char* kDigest =
    "select count(*) || ':' || sum(ID) || ':' || sum(mod(hash(V), 1000003)) || ':' || "
    "sum(mod(hash(B), 1000003)) || ':' || sum(octet_length(B)) || ':' || sum(mod(hash(X), 1000003)) from T";

std::string RowsIn(db::DbConnection& c) {
    db::DbQuery q(c, "select count(*) from T");
    q.Open();
    return q.Fields(0).AsString();
}

TEST(ServerCopy, RowsEqualARefusalLeavesTheTableEmptyAndAStopKeepsTheCount) {
    DRAVIK_REQUIRE_SERVER();
    TempDir dir;
    const std::string src = Remote(dir.File("src.fdb")), dst = Remote(dir.File("dst.fdb"));
    CreateDatabase(src);
    CreateDatabase(dst);
    Isql(src, std::string(kTable) + ");\ncommit;\n" + kRows, false, "UTF8");
    Isql(dst, std::string(kTable) + ", constraint T_NOT_777 check (ID <> 777));\ncommit;\n");
    db::DbConnection source, destination;
    Attach(source, src);
    Attach(destination, dst);
    const frames::ExternalSource from{dir.File("src.fdb"), "SYSDBA", "corbelfin"};
    std::vector<std::int64_t> lines;  // the last line's count negated
    const auto progress = [&](std::int64_t rows, bool last) { lines.push_back(last ? -rows : rows); };
    const auto never = [] { return false; };
    db::DbTransaction& transaction = destination.DefaultTransaction();

    transaction.StartTransaction();
    const auto refused = frames::CopyRowsByServer(source, destination, "T", from, 500, never, progress);
    EXPECT_FALSE(refused.copied);
    EXPECT_NE(refused.why.find("T_NOT_777"), std::string::npos) << refused.why;
    EXPECT_EQ(RowsIn(destination), "0");
    transaction.Commit();

    Isql(dst, "alter table T drop constraint T_NOT_777;\ncommit;\n");
    lines.clear();
    transaction.StartTransaction();
    const auto copied = frames::CopyRowsByServer(source, destination, "T", from, 500, never, progress);
    transaction.Commit();
    EXPECT_TRUE(copied.copied) << copied.why;
    EXPECT_EQ(copied.rows, 1200);
    EXPECT_EQ(lines, (std::vector<std::int64_t>{500, 1000, -1200}));
    EXPECT_EQ(Scalar(dst, kDigest), Scalar(src, kDigest));

    Isql(dst, "delete from T;\ncommit;\n");
    transaction.StartTransaction();
    // A stop at the first progress line: the rows the server copied by then
    // stay and are the ones counted.
    const auto stopped = frames::CopyRowsByServer(source, destination, "T", from, 20, [] { return true; }, progress);
    EXPECT_TRUE(stopped.copied);
    EXPECT_EQ(std::to_string(stopped.rows), RowsIn(destination));
    EXPECT_GE(stopped.rows, 20);
    transaction.Commit();
}

}  // namespace

// Plain indices of a destination table are rebuilt after its rows; unique
// ones stay active so duplicates are still refused row by row.
#include "frames/fr_select_data.h"
#include "table_fixture.h"

using namespace dravik;
using namespace dravik::test;

namespace {

const char* kTable =
    "create table T (ID integer not null primary key, K integer, U integer);\n"
    "create index T_K on T (K);\ncreate descending index T_KD on T (K);\ncreate unique index T_U on T (U);\n";

class DeferredIndexCopy : public CloneFixture {
protected:
    void Copy() {
        frames::TFrame_select_data frame;
        frame.wizard = &host;
        frame.CopyObjectData(source, destination, "T");
    }
    std::vector<std::string> IndexStates() {
        return Rows(dst, "select RDB$INDEX_NAME, coalesce(RDB$INDEX_INACTIVE, 0) from RDB$INDICES where "
                         "RDB$RELATION_NAME = 'T' and RDB$INDEX_NAME starting with 'T_' order by 1");
    }
};

TEST_F(DeferredIndexCopy, PlainIndicesAreOffDuringTheCopyAndActiveAfterIt) {
    Prepare(std::string(kTable) +
                "set term ^;\nexecute block as declare i integer = 0; begin while (i < 1200) do begin "
                "insert into T values (:i, mod(:i, 7), :i); i = i + 1; end end^\nset term ;^\n",
            kTable);
    std::vector<std::string> during;
    host.onEvents = [&] {
        if (during.empty() && host.run.entries.size() == 2) during = IndexStates();  // at the 500-row line
    };
    Copy();
    EXPECT_EQ(during, (std::vector<std::string>{"T_K|1", "T_KD|1", "T_U|0"}));
    EXPECT_EQ(IndexStates(), (std::vector<std::string>{"T_K|0", "T_KD|0", "T_U|0"}));
    EXPECT_TRUE(host.Errors().empty());
    // The rebuilt index answers like the source's.
    EXPECT_EQ(Rows(dst, "select count(*) from T where K = 3"), Rows(src, "select count(*) from T where K = 3"));
}

TEST_F(DeferredIndexCopy, DuplicatesForAUniqueIndexAreStillRefusedRowByRow) {
    // The source's unique index is inactive, so its rows hold a duplicate.
    Prepare("create table T (ID integer not null primary key, K integer, U integer);\n"
            "insert into T values (1, 1, 5);\ninsert into T values (2, 1, 5);\ninsert into T values (3, 1, 6);\n",
            kTable);
    Copy();
    EXPECT_EQ(Lines().back(), "Скопировано:: 3 записей (1 ошибок)");
    EXPECT_EQ(Rows(dst, "select ID from T order by ID"), (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(IndexStates(), (std::vector<std::string>{"T_K|0", "T_KD|0", "T_U|0"}));
}

TEST_F(DeferredIndexCopy, AnIndexAlreadyInactiveStaysInactive) {
    Prepare("create table T (ID integer not null primary key, K integer, U integer);\ninsert into T values (1, 1, 1);\n",
            std::string(kTable) + "alter index T_KD inactive;\n");
    Copy();
    EXPECT_EQ(IndexStates(), (std::vector<std::string>{"T_K|0", "T_KD|1", "T_U|0"}));
}

}  // namespace

// Comparing two databases on a rich source: a gbak copy compares equal rows
// included (everything the engine makes up by itself is left out), a copy
// whose generated names all differ compares equal, and each kind of change
// made to a copy is reported once, in words. Then the two sides read at the
// same time: a failure on either side, in the catalogue or in the rows, is
// the comparison's; rows come several to a fetch; rows crafted against a
// known digest key cannot steer it; a blob longer than the
// largest piece one read hands over is digested to its last byte, embedded
// and through a server; side a's rows digested beforehand, on a thread
// of their own, stand for a reading of them, a stop ending that reading; and
// so do the rows digested as a copy reads them, read to their end (or found
// to be none).
#include "app/engine/clone_verification.h"
#include "db/db_error.h"
#include "db/fb_api.h"
#include "frames/declareSQL.h"
#include "frames/source_row_pump.h"
#include "support/test_support.h"
#include "verify/background_digests.h"
#include "verify/catalogue_items.h"
#include "verify/compare.h"

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <stdexcept>

using namespace dravik;
using namespace dravik::test;
using verify::CatalogueItem;

namespace {

const std::string kScript = std::string(DRAVIK_SOURCE_DIR) + "/tests/verify/rich_source.sql";

// Stores an array value the only way Firebird allows: put through the
// client's array calls, then set on the row as a statement parameter.
void WriteGridCells(const std::string& database, int id, std::vector<std::int32_t> cells) {
    db::DbConnection c;
    Attach(c, database);
    c.DefaultTransaction().StartTransaction();
    isc_tr_handle* tr = c.DefaultTransaction().Handle();
    void* library = dlopen(db::kClientLibraryName, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr);
    const auto lookup = reinterpret_cast<decltype(&isc_array_lookup_bounds)>(dlsym(library, "isc_array_lookup_bounds"));
    const auto put = reinterpret_cast<decltype(&isc_array_put_slice)>(dlsym(library, "isc_array_put_slice"));
    ISC_STATUS_ARRAY status;
    ISC_ARRAY_DESC desc{};
    lookup(status, c.Handle(), tr, "GRID", "CELLS", &desc);
    db::CheckStatus(status);
    ISC_QUAD arrayId{};
    ISC_LONG length = static_cast<ISC_LONG>(cells.size() * sizeof(std::int32_t));
    put(status, c.Handle(), tr, &arrayId, &desc, cells.data(), &length);
    db::CheckStatus(status);

    std::vector<char> area(XSQLDA_LENGTH(1), 0);
    XSQLDA* input = reinterpret_cast<XSQLDA*>(area.data());
    input->version = SQLDA_VERSION1;
    input->sqln = input->sqld = 1;
    input->sqlvar[0].sqltype = SQL_ARRAY;
    input->sqlvar[0].sqllen = sizeof arrayId;
    input->sqlvar[0].sqldata = reinterpret_cast<char*>(&arrayId);
    const std::string sql = "UPDATE GRID SET CELLS = ? WHERE ID = " + std::to_string(id);
    db::Api().dsql_execute_immediate(status, c.Handle(), tr, 0, sql.c_str(), 3, input);
    db::CheckStatus(status);
    c.DefaultTransaction().Commit();
    c.Disconnect();
}

// The rich source, after the statements of the prelude (which may use up
// generated names so that the source's differ from another's).
void MakeRichSource(const std::string& database, const std::string& prelude = "") {
    CreateDatabase(database, "UTF8");
    if (!prelude.empty()) Isql(database, prelude);
    RunIsqlScript(database, kScript, "UTF8");
    WriteGridCells(database, 1, {1, 2, 3, 4, 5, 6});
    WriteGridCells(database, 2, {-1, 0, 0, 0, 0, 2147483647});
}

verify::Comparison Compare(const std::string& a, const std::string& b) {
    db::DbConnection ca, cb;
    Attach(ca, a);
    Attach(cb, b);
    return verify::CompareDatabases(ca, cb);
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

class CompareDatabases : public ::testing::Test {
protected:
    void SetUp() override {
        source = dir.File("source.fdb");
        copy = dir.File("copy.fdb");
        MakeRichSource(source);
    }
    TempDir dir;
    std::string source;
    std::string copy;
};

TEST_F(CompareDatabases, AGbakCopyComparesEqualWithItsRows) {
    GbakClone(source, copy);
    const verify::Comparison comparison = Compare(source, copy);
    EXPECT_EQ(Joined(verify::DescribeDifferences(comparison)), "");
    EXPECT_TRUE(comparison.Equal());

    // Every kind was read, and every table with rows compared.
    std::set<std::string> kinds;
    for (const verify::KindComparison& kind : comparison.kinds) kinds.insert(kind.kind);
    EXPECT_EQ(kinds, (std::set<std::string>{"character set", "collation", "column", "constraint", "database", "domain",
                                            "exception", "function", "function argument", "generator", "index",
                                            "package", "privilege", "procedure", "procedure parameter", "role",
                                            "table", "trigger", "view"}));
    std::vector<std::string> tables;
    for (const verify::TableRowsComparison& table : comparison.tables)
        tables.push_back(table.table + " " + std::to_string(table.a.rows));
    EXPECT_EQ(tables, (std::vector<std::string>{"CUSTOMERS 3", "GRID 2", "NO_KEY 4", "ONLY_BLOBS 3", "Order Lines 3"}));

    // Objects with generated names are known by what they are; the owner's
    // own privileges are not items.
    db::DbConnection c;
    Attach(c, source);
    const std::vector<CatalogueItem> items = verify::ReadCatalogueItems(c);
    const auto identities = [&](const std::string& kind) {
        std::set<std::string> found;
        for (const CatalogueItem& item : items)
            if (item.kind == kind) found.insert(item.identity);
        return found;
    };
    const std::set<std::string> constraints = identities("constraint");
    for (const char* expected : {"PRIMARY KEY on CUSTOMERS (ID)", "pk Order Lines", "UQ_CUSTOMERS_CODE",
                                 "FOREIGN KEY on Order Lines (CUSTOMER_ID) references CUSTOMERS (ID)",
                                 "FK_LINES_CUSTOMER", "CHECK on Order Lines: CHECK (QTY > 0)", "CK_LINES_AMOUNT",
                                 "NOT NULL on CUSTOMERS (CODE)"})
        EXPECT_TRUE(constraints.count(expected)) << expected;
    const std::set<std::string> indices = identities("index");
    EXPECT_TRUE(indices.count("PRIMARY KEY index on CUSTOMERS (ID)"));
    EXPECT_TRUE(indices.count("FOREIGN KEY index on Order Lines (CUSTOMER_ID) references CUSTOMERS"));
    for (const std::string& privilege : identities("privilege"))
        EXPECT_EQ(privilege.find("to user SYSDBA"), std::string::npos) << privilege;
    EXPECT_TRUE(identities("privilege").count("USAGE on generator SEQ_ORDERS to user CLERK"));
    EXPECT_TRUE(identities("column").count("Order Lines.Is\"Quoted"));

    // Rows read several to a fetch digest as they do one by one.
    for (const verify::TableRowsComparison& table : comparison.tables)
        EXPECT_EQ(verify::DigestTable(c, table.table, comparison.key, 1), table.a) << table.table;
}

TEST_F(CompareDatabases, GeneratedNamesThatDifferCompareEqual) {
    // Objects made and dropped first use up numbers: the second source's
    // INTEG_n, RDB$PRIMARYn, RDB$FOREIGNn, CHECK_n, RDB$n domains and the
    // identity's generator all get other numbers.
    MakeRichSource(copy,
                   "create table SPENT (ID integer generated by default as identity primary key, "
                   "P integer not null references SPENT, Q varchar(5) check (Q <> ''), unique (Q));\n"
                   "commit;\ndrop table SPENT;\ncommit;\n");
    const std::string pk = "select rdb$index_name from rdb$relation_constraints where rdb$relation_name = 'CUSTOMERS' "
                           "and rdb$constraint_type = 'PRIMARY KEY'";
    const std::string domain = "select rdb$field_source from rdb$relation_fields where rdb$relation_name = "
                               "'CUSTOMERS' and rdb$field_name = 'NAME'";
    ASSERT_NE(Scalar(source, pk), Scalar(copy, pk));
    ASSERT_NE(Scalar(source, domain), Scalar(copy, domain));

    const verify::Comparison comparison = Compare(source, copy);
    EXPECT_EQ(Joined(verify::DescribeDifferences(comparison)), "");
    EXPECT_TRUE(comparison.Equal());
}

TEST_F(CompareDatabases, EachKindOfChangeToACopyIsReported) {
    GbakClone(source, copy);
    Isql(copy,
         "update CUSTOMERS set \"Notes\" = 'notes with ünïcödè' where ID = 100;\n"  // one character
         "delete from NO_KEY rows 1;\n"                                              // one of two equal rows
         "update ONLY_BLOBS set B = '' where B is null;\n"                           // NULL became empty
         "commit;\n"
         "drop index IX_LINES_AMOUNT;\n"
         "alter table \"Order Lines\" alter QTY set default 2;\n"
         "alter index IX_INACTIVE active;\n"
         // The column's collation changes (by way of a new column: Firebird
         // alters no collation in place); its values, name and rank stay.
         "alter table \"Order Lines\" add NEW_Q char(5) character set UTF8 collate UNICODE;\n"
         "commit;\n"
         "update \"Order Lines\" set NEW_Q = \"Is\"\"Quoted\";\n"
         "alter table \"Order Lines\" drop \"Is\"\"Quoted\";\n"
         "alter table \"Order Lines\" alter NEW_Q to \"Is\"\"Quoted\";\n"
         "alter domain D_AMOUNT drop constraint;\n"
         "alter domain D_AMOUNT add check (value > 0);\n"
         "select gen_id(SEQ_ORDERS, 365) from RDB$DATABASE;\n"
         "comment on table CUSTOMERS is null;\n"
         "commit;\n",
         false, "UTF8");
    WriteGridCells(copy, 2, {-1, 0, 0, 0, 1, 2147483647});

    const std::vector<std::string> lines = verify::DescribeDifferences(Compare(source, copy), "source", "copy");
    EXPECT_EQ(Joined(lines), Joined({
                                 "column Order Lines.Is\"Quoted: collation differs: UNICODE_NOCASE | UNICODE",
                                 "column Order Lines.QTY: default differs: DEFAULT 1 | default 2",
                                 "domain D_AMOUNT: check differs: CHECK (VALUE >= 0) | check (value > 0)",
                                 "generator SEQ_ORDERS: current value differs: 135 | 500",
                                 "index IX_LINES_AMOUNT: only in source",
                                 "index IX_INACTIVE: inactive differs: 1 | 0",
                                 "table CUSTOMERS: description differs: who buys | <none>",
                                 "table CUSTOMERS: rows differ (3 each)",
                                 "table GRID: rows differ (2 each)",  // one array element
                                 "table NO_KEY: rows 4 vs 3",
                                 "table ONLY_BLOBS: rows differ (3 each)",
                             }));
}

// Two small databases, a copy of the other: table T with a long blob, and
// table MANY with 100 rows, more than one fetch carries.
class CompareSides : public ::testing::Test {
protected:
    void SetUp() override {
        a = dir.File("a.fdb");
        b = dir.File("b.fdb");
        CreateDatabase(a);
        // 5 x 30,000 bytes: the blob outgrows the 65,535 bytes of one read.
        Isql(a,
             "create table T (ID integer, B blob sub_type 1);\n"
             "set term ^;\n"
             "execute block as declare b blob sub_type 1 = ''; declare i integer = 0; begin\n"
             "  while (i < 5) do begin b = b || rpad('', 30000, 'x'); i = i + 1; end\n"
             "  insert into T values (1, :b); insert into T values (2, 'short');\n"
             "end^\n"
             "create table MANY (ID integer, NAME varchar(20), NOTE blob sub_type 1)^\n"
             "execute block as declare i integer = 0; begin\n"
             "  while (i < 100) do begin\n"
             "    insert into MANY values (:i, 'row ' || :i, iif(mod(:i, 3) = 0, null, 'note ' || :i)); i = i + 1;\n"
             "  end\n"
             "end^\n"
             "set term ;^\n"
             "commit;\n");
        GbakClone(a, b);
    }

    // The message of what the comparison threw, empty when it threw nothing.
    static std::string Failure(db::DbConnection& ca, db::DbConnection& cb) {
        try {
            verify::CompareDatabases(ca, cb);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }

    TempDir dir;
    std::string a;
    std::string b;
};

TEST_F(CompareSides, AFailureOnEitherSideIsTheComparisons) {
    db::DbConnection noneA, noneB, utf8A, utf8B;
    Attach(noneA, a);
    Attach(noneB, b);
    Attach(utf8A, a, "UTF8");
    Attach(utf8B, b, "UTF8");
    EXPECT_NE(Failure(noneA, utf8B).find("character set NONE: " + b), std::string::npos);
    EXPECT_NE(Failure(utf8A, noneB).find("character set NONE: " + a), std::string::npos);
    EXPECT_NE(Failure(utf8A, utf8B).find("character set NONE: " + a), std::string::npos);  // side a's, when both fail

    // A user without rights on T reads the catalogue but not the rows.
    db::DbConnection stranger;
    stranger.SetDatabaseName(b);
    stranger.Params().push_back("USER_NAME=STRANGER");
    stranger.Params().push_back("PASSWORD=x");
    stranger.Params().push_back("LC_CTYPE=NONE");
    stranger.Connect();
    EXPECT_NE(Failure(noneA, stranger).find("no permission"), std::string::npos);

    // Each connection is still usable afterwards; one connection given as
    // both sides compares equal.
    const verify::Comparison same = verify::CompareDatabases(noneA, noneA);
    EXPECT_TRUE(same.Equal());
    ASSERT_EQ(same.tables.size(), 2u);
    EXPECT_EQ(same.tables[0].a.rows, 100);
    EXPECT_EQ(same.tables[1].a.rows, 2);
    EXPECT_TRUE(verify::CompareDatabases(noneA, noneB).Equal());
}

TEST_F(CompareSides, EveryRowCountsHoweverManyEachFetchCarries) {
    // The last fetch carries the 4 rows left after three of 32.
    Isql(b, "update MANY set NAME = 'changed' where ID = 99;\ndelete from MANY where ID = 98;\ncommit;\n");
    db::DbConnection ca, cb;
    Attach(ca, a);
    Attach(cb, b);
    const verify::DigestKey key = verify::DigestKey::Fresh();
    const verify::TableDigest one = verify::DigestTable(ca, "MANY", key, 1);
    EXPECT_EQ(one.rows, 100);
    for (int rows : {0, 7, 32}) EXPECT_EQ(verify::DigestTable(ca, "MANY", key, rows), one) << rows;
    EXPECT_EQ(verify::DigestTable(cb, "MANY", key).rows, 99);
    EXPECT_EQ(Joined(verify::DescribeDifferences(verify::CompareDatabases(ca, cb))), "table MANY: rows 100 vs 99\n");
    Exec(b, "insert into MANY values (98, 'row 98', 'note 98')");
    EXPECT_EQ(Joined(verify::DescribeDifferences(verify::CompareDatabases(ca, cb))),
              "table MANY: rows differ (100 each)\n");
}

// Two rows whose bytes were chosen so that a digest with a fixed key (the
// earlier unkeyed hash, whose seed anyone can read) gives both the same
// value: AMOUNT 100 against 999999, the 16 bytes after them cancelling the
// difference. Under a key drawn for the comparison they differ; each
// comparison draws its own key, and one key gives one digest however the
// rows are fetched.
TEST_F(CompareSides, RowsCraftedForAKnownKeyCannotSteerTheComparison) {
    const std::string table = "create table PAY (AMOUNT integer, NOTE varchar(32) character set octets);\n";
    const std::string paid = "7061696420696E2066756C6C";  // "paid in full"
    Isql(a, table + "insert into PAY values (100, x'696E766F69636520323032362D303031" + paid + "');\ncommit;\n");
    Isql(b, table + "insert into PAY values (999999, x'78CD7D881FA79A44B567FD79D6EC66A3" + paid + "');\ncommit;\n");
    const verify::Comparison first = Compare(a, b);
    EXPECT_EQ(Joined(verify::DescribeDifferences(first)), "table PAY: rows differ (1 each)\n");

    const verify::Comparison second = Compare(a, a);
    EXPECT_TRUE(second.Equal());
    EXPECT_NE(first.key.pieces, second.key.pieces);
    EXPECT_NE(first.key.streams, second.key.streams);
    db::DbConnection ca;
    Attach(ca, a);
    const verify::TableDigest underFirst = verify::DigestTable(ca, "MANY", first.key);
    EXPECT_NE(underFirst.digest, verify::DigestTable(ca, "MANY", second.key).digest);
    EXPECT_EQ(underFirst, verify::DigestTable(ca, "MANY", first.key, 1));
}

TEST_F(CompareSides, ALongBlobIsDigestedToItsLastByte) {
    ASSERT_EQ(Scalar(a, "select octet_length(B) from T where ID = 1"), "150000");
    Isql(b, "update T set B = substring(B from 1 for 149999) || 'y' where ID = 1;\ncommit;\n");
    ASSERT_EQ(Scalar(b, "select octet_length(B) from T where ID = 1"), "150000");
    EXPECT_EQ(Joined(verify::DescribeDifferences(Compare(a, b))), "table T: rows differ (2 each)\n");
    Isql(b, "update T set B = substring(B from 1 for 149999) || 'x' where ID = 1;\ncommit;\n");
    EXPECT_EQ(Joined(verify::DescribeDifferences(Compare(a, b))), "");
}

TEST_F(CompareSides, ThroughAServerALongBlobIsDigestedToItsLastByte) {
    DRAVIK_REQUIRE_SERVER();  // there blobs are read to their end, not to the length the engine gives
    EXPECT_EQ(Joined(verify::DescribeDifferences(Compare(Remote(a), Remote(b)))), "");
    Isql(b, "update T set B = substring(B from 1 for 149999) || 'y' where ID = 1;\ncommit;\n");
    EXPECT_EQ(Joined(verify::DescribeDifferences(Compare(Remote(a), Remote(b)))), "table T: rows differ (2 each)\n");
}

TEST_F(CompareSides, RowsDigestedBeforehandStandForAReadingOfSideA) {
    const auto attached = [](const std::string& database) {
        auto connection = std::make_unique<db::DbConnection>();
        Attach(*connection, database);
        return connection;
    };
    // Only the tables the database stores are digested, under the key they share.
    verify::BackgroundDigests background(attached(a), {"MANY", "NO_SUCH_TABLE", "T"});
    const verify::TakenDigests* taken = background.Take();
    ASSERT_NE(taken, nullptr);
    ASSERT_EQ(taken->tables.size(), 2u);
    db::DbConnection ca, cb;
    Attach(ca, a);
    Attach(cb, b);
    EXPECT_EQ(taken->tables.at("MANY"), verify::DigestTable(ca, "MANY", taken->key, 1));
    EXPECT_EQ(taken->tables.at("T"), verify::DigestTable(ca, "T", taken->key));

    // A change of side b is still found and named; side a's rows changed
    // after they were digested are not read again.
    verify::CompareOptions options;
    options.digestedA = &background;
    EXPECT_TRUE(verify::CompareDatabases(ca, cb, options).Equal());
    Exec(b, "update MANY set NAME = 'changed' where ID = 7");
    EXPECT_EQ(Joined(verify::DescribeDifferences(verify::CompareDatabases(ca, cb, options))),
              "table MANY: rows differ (100 each)\n");
    Exec(a, "update MANY set NAME = 'changed' where ID = 7");
    EXPECT_EQ(Joined(verify::DescribeDifferences(verify::CompareDatabases(ca, cb, options))),
              "table MANY: rows differ (100 each)\n");
    EXPECT_TRUE(verify::CompareDatabases(ca, cb).Equal());

    // A reading that fails gives no digests: the comparison reads side a
    // itself and meets the failure there.
    auto stranger = std::make_unique<db::DbConnection>();
    stranger->SetDatabaseName(a);
    stranger->Params().push_back("USER_NAME=STRANGER");
    stranger->Params().push_back("PASSWORD=x");
    stranger->Params().push_back("LC_CTYPE=NONE");
    stranger->Connect();
    EXPECT_EQ(verify::BackgroundDigests(std::move(stranger), {"MANY"}).Take(), nullptr);

    // A stop ends a table's reading between two rows.
    const std::atomic<bool> stop = true;
    EXPECT_THROW(verify::DigestTable(ca, "MANY", taken->key, 0, {}, &stop), verify::ComparisonStopped);
}

TEST_F(CompareSides, RowsDigestedAsTheCopyReadsThemStandForAReadingOfThem) {
    // Read packed (over 4,000 rows), its columns not in the order of their
    // names, with blobs short enough to come inline and longer ones.
    Isql(a,
         "create table WIDE (Z_ID integer, A_TEXT varchar(30), M_NOTE blob sub_type 1, D double precision,\n"
         "  N numeric(15,2));\n"
         "set term ^;\n"
         "execute block as declare i integer = 0; begin\n"
         "  while (i < 5000) do begin\n"
         "    insert into WIDE values (:i, 'text ' || :i, iif(mod(:i, 2) = 0, rpad('', mod(:i, 3000), 'b'), null),\n"
         "      :i / 7.0, :i / 3.0); i = i + 1;\n"
         "  end\n"
         "end^\n"
         "set term ;^\n"
         "create table NO_ROWS (B varchar(5), A integer);\n"
         "commit;\n");
    db::DbConnection ca;
    Attach(ca, a);
    const auto read = [&ca](engine::DigestsOfTheCopy& copy, const std::string& name, int rows) {
        std::unique_ptr<db::DbTable> table = frames::NewTable(ca, name);
        table->OpenPacked();
        std::vector<db::DbField*> fields;
        for (int i = 0; i < table->FieldCount(); ++i) fields.push_back(&table->Fields(i));
        std::unique_ptr<frames::SourceRowWatch> watch = copy.Watch(name, *table);
        ASSERT_NE(watch, nullptr) << name;
        frames::SourceRowPump pump(*table, fields, watch.get());
        for (int i = 0; i != rows && pump.Next(); ++i) {
        }
    };
    engine::DigestsOfTheCopy copy(verify::DigestKey::Fresh());
    for (const char* name : {"WIDE", "T", "MANY"}) read(copy, name, -1);
    // A table the copy found empty is digested from its columns alone.
    copy.NoRows("NO_ROWS", ca);
    copy.NoRows("NO_SUCH_TABLE", ca);
    const verify::TakenDigests* taken = copy.Take();
    ASSERT_EQ(taken->tables.size(), 4u);
    for (const char* name : {"WIDE", "T", "MANY", "NO_ROWS"})
        EXPECT_EQ(taken->tables.at(name), verify::DigestTable(ca, name, taken->key)) << name;

    // A table not read to its end is not digested.
    engine::DigestsOfTheCopy stopped(verify::DigestKey::Fresh());
    read(stopped, "WIDE", 10);
    EXPECT_EQ(stopped.Take()->tables.count("WIDE"), 0u);

    // Side a's rows as the copy read them: a change of side b is found.
    verify::CompareOptions options;
    options.digestedA = &copy;
    options.tables = {"MANY", "T"};
    options.scope.picked = true;
    options.scope.relations = {"MANY", "T"};
    db::DbConnection cb;
    Attach(cb, b);
    EXPECT_TRUE(verify::CompareDatabases(ca, cb, options).Equal());
    Exec(b, "update MANY set NAME = 'changed' where ID = 7");
    EXPECT_EQ(Joined(verify::DescribeDifferences(verify::CompareDatabases(ca, cb, options))),
              "table MANY: rows differ (100 each)\n");
}

}  // namespace

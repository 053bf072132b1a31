// The metadata helpers and the type-declaration builder on real catalogues.
#include "db/db_error.h"
#include "frames/declareSQL.h"
#include "support/test_support.h"

using namespace dravik::frames;
using namespace dravik::test;

namespace {

TEST(TypeName, KeywordsOfTheStoredTypeCodes) {
    EXPECT_EQ(TypeName(7), "SMALLINT");
    EXPECT_EQ(TypeName(8), "INTEGER");
    EXPECT_EQ(TypeName(16), "BIGINT");
    EXPECT_EQ(TypeName(12), "DATE");
    EXPECT_EQ(TypeName(13), "TIME");
    EXPECT_EQ(TypeName(35), "TIMESTAMP");
    EXPECT_EQ(TypeName(14), "CHAR");
    EXPECT_EQ(TypeName(37), "VARCHAR");
    EXPECT_EQ(TypeName(23), "BOOLEAN");
    EXPECT_EQ(TypeName(40), "");
    EXPECT_EQ(TypeName(11), "");
}

class Catalogue : public ::testing::Test {
protected:
    void SetUp() override {
        name = dir.File("cat.fdb");
        CreateDatabase(name, "WIN1251");
        Attach(c, name);
    }
    TempDir dir;
    std::string name;
    dravik::db::DbConnection c;
};

TEST_F(Catalogue, CharsetAndCollationNames) {
    EXPECT_EQ(CharsetName(c, ""), "");
    EXPECT_EQ(CharsetName(c, "52"), "WIN1251");
    EXPECT_EQ(CharsetName(c, "9999"), "");
    EXPECT_EQ(CollationName(c, "", "52"), "");
    EXPECT_EQ(CollationName(c, "0", "52"), "WIN1251");
    EXPECT_EQ(CollationName(c, "1", "52"), "PXW_CYRL");
    EXPECT_FALSE(c.DefaultTransaction().InTransaction());
}

TEST_F(Catalogue, ExecStatementCommitsOrRollsBackAndRaises) {
    ExecStatement(c, "create table T (A integer)");
    EXPECT_FALSE(c.DefaultTransaction().InTransaction());
    EXPECT_EQ(Scalar(name, "select count(*) from RDB$RELATIONS where RDB$RELATION_NAME = 'T'"), "1");
    EXPECT_THROW(ExecStatement(c, "create table T (A integer)"), dravik::db::DbServerError);
    EXPECT_FALSE(c.DefaultTransaction().InTransaction());
}

TEST_F(Catalogue, UniqueConstraintNameKeepsTheWholeNameAndCounts) {
    const std::string wanted = "PK_A_VERY_LONG_NAME_OF_25";  // 25 characters
    EXPECT_EQ(UniqueConstraintName(c, wanted), wanted);
    ExecStatement(c, "create table A (X integer not null, constraint PK_A_VERY_LONG_NAME_OF_25 primary key (X))");
    EXPECT_EQ(UniqueConstraintName(c, wanted), wanted + "_1");
    ExecStatement(c, "create table B (X integer not null, constraint PK_A_VERY_LONG_NAME_OF_25_1 primary key (X))");
    EXPECT_EQ(UniqueConstraintName(c, wanted), wanted + "_2");
    EXPECT_FALSE(c.DefaultTransaction().InTransaction());
}

// Every declaration the builder makes, read back from the catalogue of a
// table created with it, gives the same declaration again.
TEST_F(Catalogue, DeclarationsRoundTripThroughTheCatalogue) {
    const std::vector<std::string> declarations = {
        "SMALLINT", "INTEGER", "BIGINT", "NUMERIC(15,2)", "DECIMAL(9,3)", "NUMERIC(4,1)", "DECIMAL(18,4)",
        "FLOAT", "DOUBLE PRECISION", "DATE", "TIME", "TIMESTAMP", "BOOLEAN",
        "CHAR(10) CHARACTER SET  NONE", "VARCHAR(20) CHARACTER SET  WIN1251", "VARCHAR(7) CHARACTER SET  UTF8",
        "CHAR(3) CHARACTER SET  OCTETS", "BLOB SUB_TYPE 1 SEGMENT SIZE 80 CHARACTER SET  WIN1251",
        "BLOB SUB_TYPE 0 SEGMENT SIZE 4096", "BLOB SUB_TYPE 1 SEGMENT SIZE 80 CHARACTER SET  UTF8"};
    std::string ddl = "create table TYPES (";
    for (size_t i = 0; i < declarations.size(); ++i)
        ddl += (i ? ", C" : "C") + std::to_string(i) + " " + declarations[i];
    ExecStatement(c, ddl + ")");
    auto q = NewQuery(c, "select f.* from RDB$RELATION_FIELDS r join RDB$FIELDS f on f.RDB$FIELD_NAME = "
                         "r.RDB$FIELD_SOURCE where r.RDB$RELATION_NAME = 'TYPES' order by r.RDB$FIELD_POSITION");
    q->Open();
    // The lookup runs on a second connection so the listing query stays undisturbed.
    dravik::db::DbConnection lookup;
    Attach(lookup, name);
    for (const std::string& expected : declarations) {
        ASSERT_FALSE(q->Eof());
        EXPECT_EQ(DeclareType(lookup, ReadFieldType(*q), TypeUse::Column), expected);
        q->Next();
    }
}

TEST_F(Catalogue, ArgumentsUseByteLengthsAndCstring) {
    FieldType cstring;
    cstring.type = 40;
    cstring.length = 80;
    EXPECT_EQ(DeclareType(c, cstring, TypeUse::Argument), "CSTRING(80)");
    EXPECT_EQ(DeclareType(c, cstring, TypeUse::Column), "");
    FieldType blob;
    blob.type = 261;
    blob.subType = 1;
    EXPECT_EQ(DeclareType(c, blob, TypeUse::Argument), "BLOB");
    FieldType quad;
    quad.type = 9;
    EXPECT_EQ(DeclareType(c, quad, TypeUse::Column), "BIGINT");
}

}  // namespace

// Comments: every object the plan creates gets its source's comment, quoted
// names and awkward texts included; what the plan leaves out gets none.
#include "frames/catalogue_comments.h"
#include "frames/fr_select_domain.h"
#include "frames/fr_select_exception.h"
#include "frames/fr_select_generator.h"
#include "frames/fr_select_procedure.h"
#include "frames/fr_select_table.h"
#include "frames/fr_select_udf.h"
#include "frames/fr_select_view.h"
#include "schema/node_keys.h"
#include "table_fixture.h"

#include <algorithm>

using namespace dravik;
using namespace dravik::frames;
using namespace dravik::test;

namespace {

// Every description of the catalogue as "kind|name|text", in one order.
const char* const kDescriptions = R"(
select K, N, D from (
  select 'DATABASE', '', RDB$DESCRIPTION from RDB$DATABASE
  union all select 'RELATION', trim(RDB$RELATION_NAME), RDB$DESCRIPTION from RDB$RELATIONS
  union all select 'COLUMN', trim(RDB$RELATION_NAME) || '.' || trim(RDB$FIELD_NAME), RDB$DESCRIPTION
    from RDB$RELATION_FIELDS
  union all select 'DOMAIN', trim(RDB$FIELD_NAME), RDB$DESCRIPTION from RDB$FIELDS
  union all select 'PROCEDURE', coalesce(trim(RDB$PACKAGE_NAME) || '.', '') || trim(RDB$PROCEDURE_NAME),
    RDB$DESCRIPTION from RDB$PROCEDURES
  union all select 'PARAMETER', coalesce(trim(RDB$PACKAGE_NAME) || '.', '') || trim(RDB$PROCEDURE_NAME) || '.' ||
    trim(RDB$PARAMETER_NAME), RDB$DESCRIPTION from RDB$PROCEDURE_PARAMETERS
  union all select 'FUNCTION', coalesce(trim(RDB$PACKAGE_NAME) || '.', '') || trim(RDB$FUNCTION_NAME),
    RDB$DESCRIPTION from RDB$FUNCTIONS
  union all select 'ARGUMENT', coalesce(trim(RDB$PACKAGE_NAME) || '.', '') || trim(RDB$FUNCTION_NAME) || '.' ||
    trim(RDB$ARGUMENT_NAME), RDB$DESCRIPTION from RDB$FUNCTION_ARGUMENTS
  union all select 'PACKAGE', trim(RDB$PACKAGE_NAME), RDB$DESCRIPTION from RDB$PACKAGES
  union all select 'SEQUENCE', trim(RDB$GENERATOR_NAME), RDB$DESCRIPTION from RDB$GENERATORS
  union all select 'EXCEPTION', trim(RDB$EXCEPTION_NAME), RDB$DESCRIPTION from RDB$EXCEPTIONS
  union all select 'INDEX', trim(RDB$INDEX_NAME), RDB$DESCRIPTION from RDB$INDICES
  union all select 'TRIGGER', trim(RDB$TRIGGER_NAME), RDB$DESCRIPTION from RDB$TRIGGERS
  union all select 'ROLE', trim(RDB$ROLE_NAME), RDB$DESCRIPTION from RDB$ROLES
  union all select 'COLLATION', trim(RDB$COLLATION_NAME), RDB$DESCRIPTION from RDB$COLLATIONS
) as x (K, N, D) where D is not null order by 1, 2)";

class Comments : public CloneFixture {
protected:
    // Runs both phases of the plan, as the job does.
    static void Run(schema::SchemaPlan& plan) {
        for (schema::Phase phase : {schema::Phase::BeforeData, schema::Phase::AfterData})
            for (const schema::PlanNode* node : plan.Ordered(phase)) node->run();
    }
    std::vector<std::string> CommentLines() const {
        std::vector<std::string> lines;
        for (const std::string& line : Lines())
            if (line.rfind("COMMENT", 0) == 0) lines.push_back(line);
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    // The source's descriptions without those whose text is one of these.
    std::vector<std::string> SourceDescriptionsBut(const std::vector<std::string>& texts) const {
        std::vector<std::string> kept;
        for (const std::string& row : Rows(src, kDescriptions)) {
            const std::string text = row.substr(row.rfind('|') + 1);
            if (std::find(texts.begin(), texts.end(), text) == texts.end()) kept.push_back(row);
        }
        return kept;
    }
};

TEST_F(Comments, EveryPlannedObjectGetsItsSourceCommentAndNoOtherDoes) {
    Prepare(R"(
create domain "Dom m" integer;
create sequence SEQ_A;
create exception "Exc m" 'boom';
create table "Mixed T" ("Col a" integer not null, B varchar(10), constraint PK_MIXED primary key ("Col a"));
create index "Idx m" on "Mixed T" (B);
create view V_M as select "Col a", B from "Mixed T";
create table OTHER (X integer);
create index OTHER_X on OTHER (X);
create role "Role m";
create role GONE_ROLE;
declare external function UDF_M integer returns integer by value entry_point 'x' module_name 'dravik_none';
set term ^;
create procedure "Proc m" ("Par a" integer) returns (R integer) as begin R = "Par a"; suspend; end^
create trigger "Trg m" for "Mixed T" before insert as begin end^
create trigger OTHER_BI for OTHER before insert as begin end^
set term ;^
commit;
comment on database is 'the database';
comment on table "Mixed T" is 'it''s a table
on two lines, ё';
comment on view V_M is 'view';
comment on column "Mixed T"."Col a" is 'column';
comment on column V_M.B is 'view column';
comment on domain "Dom m" is 'domain';
comment on procedure "Proc m" is 'procedure';
comment on procedure parameter "Proc m"."Par a" is 'parameter';
comment on sequence SEQ_A is 'sequence';
comment on exception "Exc m" is 'exception';
comment on index "Idx m" is 'index';
comment on index PK_MIXED is 'key index';
comment on trigger "Trg m" is 'trigger';
comment on external function UDF_M is 'udf';
comment on role "Role m" is 'role';
comment on role GONE_ROLE is 'role the destination lacks';
comment on table OTHER is 'not picked';
comment on column OTHER.X is 'not picked';
comment on index OTHER_X is 'not picked';
comment on trigger OTHER_BI is 'not picked';
)",
            "create role \"Role m\";");
    TFrame_select_domain domains;
    TFrame_select_generator generators;
    TFrame_select_exception exceptions;
    TFrame_select_procedure procedures;
    TFrame_select_table tables;
    TFrame_select_view views;
    TFrame_select_udf functions;
    const std::vector<TFrame_select*> frames = {&functions, &domains, &generators, &exceptions,
                                                &procedures, &tables,   &views};
    for (TFrame_select* frame : frames) {
        frame->wizard = &host;
        frame->LoadList(source, true);
    }
    ASSERT_TRUE(tables.Deselect("OTHER"));
    schema::SchemaPlan plan;
    PlanContext context(source, destination);
    for (TFrame_select* frame : frames) frame->PlanSelected(plan, context);
    PlanComments(plan, context, host);
    Run(plan);
    CopyRoleComments(source, destination, host);

    EXPECT_TRUE(ErrorHeads().empty()) << ::testing::PrintToString(ErrorHeads());
    const auto expected = SourceDescriptionsBut({"not picked", "role the destination lacks"});
    ASSERT_EQ(expected.size() + 5, Rows(src, kDescriptions).size());
    EXPECT_EQ(Rows(dst, kDescriptions), expected);
    EXPECT_EQ(CommentLines(), (std::vector<std::string>{
                                  "COMMENT: COLUMN Mixed T.Col a", "COMMENT: COLUMN V_M.B", "COMMENT: DATABASE",
                                  "COMMENT: DOMAIN Dom m", "COMMENT: EXCEPTION Exc m", "COMMENT: EXTERNAL FUNCTION UDF_M",
                                  "COMMENT: INDEX Idx m", "COMMENT: INDEX PK_MIXED", "COMMENT: PROCEDURE PARAMETER Proc m.Par a",
                                  "COMMENT: PROCEDURE Proc m", "COMMENT: ROLE Role m", "COMMENT: SEQUENCE SEQ_A",
                                  "COMMENT: TABLE Mixed T", "COMMENT: TRIGGER Trg m", "COMMENT: VIEW V_M"}));
}

// PSQL functions, packages and collations have no frame yet: nodes standing
// for theirs (the objects are made beforehand in the destination) are what
// lets their comments through.
TEST_F(Comments, RoutinesAndCollationsFollowTheirOwnNodes) {
    const std::string objects = R"(
create collation "Coll m" for UTF8 from UNICODE case insensitive;
set term ^;
create function "Fn m" ("Arg a" integer) returns integer as begin return "Arg a"; end^
create function NOT_PLANNED (X integer) returns integer as begin return X; end^
create package "Pkg m" as begin procedure PP ("Q m" integer); function PF (Z integer) returns integer; end^
create package body "Pkg m" as begin
  procedure PP ("Q m" integer) as begin end
  function PF (Z integer) returns integer as begin return Z; end
end^
set term ;^
)";
    Prepare(objects + R"(
commit;
comment on collation "Coll m" is 'collation';
comment on function "Fn m" is 'function';
comment on function parameter "Fn m"."Arg a" is 'argument';
comment on function NOT_PLANNED is 'not planned';
comment on package "Pkg m" is 'package';
comment on procedure "Pkg m".PP is 'packaged procedure';
comment on procedure parameter "Pkg m".PP."Q m" is 'packaged parameter';
comment on function "Pkg m".PF is 'packaged function';
comment on function parameter "Pkg m".PF.Z is 'packaged argument';
)",
            objects);
    schema::SchemaPlan plan;
    plan.Add(schema::Node(schema::NodeKind::Collation, schema::key::Collation("Coll m"), {}, [] {}));
    plan.Add(schema::Node(schema::NodeKind::Function, schema::key::Function("Fn m"), {}, [] {}));
    plan.Add(schema::Node(schema::NodeKind::PackageHeader, schema::key::Package("Pkg m"), {}, [] {}));
    PlanContext context(source, destination);
    PlanComments(plan, context, host);
    Run(plan);

    EXPECT_TRUE(ErrorHeads().empty()) << ::testing::PrintToString(ErrorHeads());
    EXPECT_EQ(Rows(dst, kDescriptions), SourceDescriptionsBut({"not planned"}));
    EXPECT_EQ(CommentLines().size(), 8u);
}

}  // namespace

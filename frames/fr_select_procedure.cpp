#include "frames/fr_select_procedure.h"

#include "frames/declareSQL.h"
#include "frames/database_triggers.h"
#include "frames/psql_routines.h"
#include "frames/routine_parameters.h"
#include "schema/node_keys.h"

#include <stdexcept>

namespace dravik::frames {

namespace {

// The body of a stub: it exits at once. A procedure that is selectable in the
// source gets an unreachable SUSPEND too, so that the server takes the stub as
// selectable and bodies and views that select from it compile before its own
// body is in place.
std::string StubBody(DbConnection& source, const std::string& name) {
    auto query = NewQuery(source, "select RDB$PROCEDURE_TYPE from RDB$PROCEDURES where RDB$PACKAGE_NAME is null "
                                  "and RDB$PROCEDURE_NAME=" + SqlString(name));
    query->Open();
    const bool selectable = !query->Eof() && query->Fields(0).AsInteger() == 1;
    return selectable ? "\r\nAS\r\nbegin\r\n\texit;\r\n\tsuspend;\r\nend;" : "\r\nAS\r\nbegin\r\n\texit;\r\nend;";
}

// The KIND column of a listing row: the kind's number.
std::string KindColumn(ObjectKind kind) { return std::to_string(static_cast<int>(kind)); }

}  // namespace

std::string TFrame_select_procedure::ListingSql() const {
    // Stand-alone procedures by their names, then PSQL functions, packages and
    // database and DDL triggers with their kind in the caption; packaged
    // routines come with their package.
    return "select cast(RDB$PROCEDURE_NAME as varchar(80)) as NAME, cast(RDB$PROCEDURE_NAME as varchar(80)) as OBJ, " +
           KindColumn(ObjectKind::Procedure) + " as KIND "
           "FROM RDB$PROCEDURES where RDB$SYSTEM_FLAG=0 and RDB$PACKAGE_NAME is null "
           "union all select 'FUNCTION ' || trim(trailing from RDB$FUNCTION_NAME), "
           "trim(trailing from RDB$FUNCTION_NAME), " + KindColumn(ObjectKind::Function) +
           " from RDB$FUNCTIONS where RDB$MODULE_NAME is null "
           "and RDB$PACKAGE_NAME is null and coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
           "union all select 'PACKAGE ' || trim(trailing from RDB$PACKAGE_NAME), "
           "trim(trailing from RDB$PACKAGE_NAME), " + KindColumn(ObjectKind::Package) + " from RDB$PACKAGES "
           "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
           "union all select 'TRIGGER ' || trim(trailing from RDB$TRIGGER_NAME), "
           "trim(trailing from RDB$TRIGGER_NAME), " + KindColumn(ObjectKind::DatabaseTrigger) + " from RDB$TRIGGERS "
           "where RDB$RELATION_NAME is null and coalesce(RDB$SYSTEM_FLAG, 0) = 0;";
}

std::string TFrame_select_procedure::ParameterList(DbConnection& source, const std::string& name) {
    auto query = NewQuery(source,
                          "select p.*, f.*, f.RDB$COLLATION_ID as DOMAIN_COLLATION_ID FROM rdb$procedure_parameters p "
                          "join RDB$FIELDS f on p.RDB$FIELD_SOURCE = f.RDB$FIELD_NAME WHERE p.rdb$procedure_name = " +
                              SqlString(TrimRight(name)) +
                              " and p.RDB$PACKAGE_NAME is null ORDER BY p.RDB$PARAMETER_TYPE, p.RDB$PARAMETER_NUMBER");
    query->Open();
    std::string inputs, outputs;
    for (; !query->Eof(); query->Next()) {
        const std::string declaration = QuoteIdentifier(query->FieldByName("RDB$PARAMETER_NAME").AsString()) + "  " +
                                        ParameterDeclaration(source, *query);
        AppendParameter(query->FieldByName("RDB$PARAMETER_TYPE").AsInteger() == 0 ? inputs : outputs, declaration);
    }
    std::string result;
    if (!inputs.empty()) result = "(\r\n" + inputs + "\r\n)";
    if (!outputs.empty()) result += "\r\nRETURNS(\r\n" + outputs + "\r\n)";
    return result;
}

void TFrame_select_procedure::PlanItem(schema::SchemaPlan& plan, PlanContext& context, const TQorListItem& item) {
    const std::string name = TrimRight(item.ObjectName);
    switch (item.Kind) {
        case ObjectKind::Function: return PlanFunction(*this, plan, context, name);
        case ObjectKind::Package: return PlanPackage(*this, plan, context, name);
        case ObjectKind::DatabaseTrigger: return PlanDatabaseTrigger(*this, plan, context, name);
        default: return PlanObject(plan, context, name);
    }
}

void TFrame_select_procedure::PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& listed) {
    const std::string name = TrimRight(listed);
    const std::string key = schema::key::Procedure(name);
    // The stub's header names the tables of its TYPE OF COLUMN parameters.
    std::vector<std::string> headerNeeds;
    {
        auto query = NewQuery(context.source, "select distinct RDB$RELATION_NAME from RDB$PROCEDURE_PARAMETERS "
                                              "where RDB$PACKAGE_NAME is null and RDB$RELATION_NAME is not null "
                                              "and RDB$PROCEDURE_NAME=" + SqlString(name));
        for (query->Open(); !query->Eof(); query->Next())
            headerNeeds.push_back(schema::key::Relation(TrimRight(query->Fields(0).AsString())));
    }
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    plan.Add(Node(NodeKind::ProcedureStub, key, std::move(headerNeeds),
                  [this, &s, &d, name] { CreateStub(s, d, name); }));
    plan.Add(Node(NodeKind::RoutineBody, schema::key::Body(key), {key},
                  [this, &s, &d, name] { CreateBody(s, d, name); }));
}

void TFrame_select_procedure::CreateStub(DbConnection& source, DbConnection& destination, const std::string& name) {
    try {
        ExecStatement(destination,
                      "CREATE PROCEDURE " + QuoteIdentifier(name) + ParameterList(source, name) + StubBody(source, name));
        LogOk("PROCEDURE", name);
    } catch (const std::exception& e) {
        LogError("CREATE ERROR. PROCEDURE " + name, e.what());
    }
}

void TFrame_select_procedure::CreateBody(DbConnection& source, DbConnection& destination, const std::string& name) {
    auto query = NewQuery(source, "select * from RDB$PROCEDURES where RDB$PACKAGE_NAME is null and "
                                  "RDB$PROCEDURE_NAME=" + SqlString(name));
    try {
        query->Open();
        if (query->Eof()) throw std::runtime_error("the source has no procedure " + name);
        std::string body;
        if (!query->FieldByName("RDB$PROCEDURE_SOURCE").IsNull()) {
            // The server keeps the body from its first word on, so a line
            // break keeps AS apart from it.
            body = "\r\nAS\r\n" + db::EmbedStoredText(query->FieldByName("RDB$PROCEDURE_SOURCE").AsString());
        } else if (db::DbField* engine = query->FindField("RDB$ENGINE_NAME"); engine && !engine->IsNull()) {
            body = "\r\nEXTERNAL NAME " + SqlString(TrimRight(query->FieldByName("RDB$ENTRYPOINT").AsString())) +
                   " ENGINE " + QuoteIdentifier(engine->AsString());
        } else {
            throw std::runtime_error("the source keeps no text of procedure " + name);
        }
        query->Close();
        ExecStatement(destination, "ALTER PROCEDURE " + QuoteIdentifier(name) + ParameterList(source, name) + body);
        LogOk("PROCEDURE", name);
    } catch (const std::exception& e) {
        LogError("CREATE ERROR. PROCEDURE " + name, e.what());
    }
}

}  // namespace dravik::frames

#include "frames/fr_select_procedure.h"

#include "frames/declareSQL.h"
#include "frames/database_triggers.h"
#include "frames/psql_routines.h"
#include "frames/routine_parameters.h"
#include "schema/node_keys.h"

#include <cstring>
#include <set>
#include <stdexcept>

namespace dravik::frames {

namespace {

// The body of a stub: it exits at once. A procedure that is selectable in the
// source gets an unreachable SUSPEND too, so that the server takes the stub as
// selectable and bodies and views that select from it compile before its own
// body is in place.
std::string StubBody(const schema::SourceCatalogue& catalogue, const std::string& name) {
    const schema::CatalogueRow* procedure = catalogue.Procedure(name);
    const bool selectable = procedure && procedure->FieldByName("RDB$PROCEDURE_TYPE").AsInteger() == 1;
    return selectable ? "\r\nAS\r\nbegin\r\n\texit;\r\n\tsuspend;\r\nend;" : "\r\nAS\r\nbegin\r\n\texit;\r\nend;";
}

std::string ProcedureBody(const schema::SourceCatalogue& catalogue, const std::string& name) {
    return RoutineBody(catalogue.Procedure(name), "RDB$PROCEDURE_SOURCE", "procedure", name);
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

std::string TFrame_select_procedure::ParameterList(DbConnection& source, const schema::SourceCatalogue& catalogue,
                                                   const std::string& name) {
    std::string inputs, outputs;
    for (const schema::CatalogueRow& parameter : catalogue.ProcedureParameters(TrimRight(name))) {
        const std::string declaration = QuoteIdentifier(parameter.FieldByName("RDB$PARAMETER_NAME").AsString()) +
                                        "  " + ParameterDeclaration(source, parameter);
        AppendParameter(parameter.FieldByName("RDB$PARAMETER_TYPE").AsInteger() == 0 ? inputs : outputs, declaration);
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
    // The stub's header names the tables of its TYPE OF COLUMN parameters.
    const std::shared_ptr<const schema::SourceCatalogue> catalogue = context.Catalogue();
    std::set<std::string> tables;
    for (const schema::CatalogueRow& parameter : catalogue->ProcedureParameters(name))
        if (!parameter.FieldByName("RDB$RELATION_NAME").IsNull()) tables.insert(parameter.Name("RDB$RELATION_NAME"));
    std::vector<std::string> headerNeeds;
    for (const std::string& table : tables) headerNeeds.push_back(schema::key::Relation(table));
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    PlanRoutine(plan, context, NodeKind::Procedure, schema::key::Procedure(name), std::move(headerNeeds),
                {[this, &s, &d, catalogue, name] { return CreateWhole(*catalogue, s, d, name); },
                 [this, &s, &d, catalogue, name] { CreateStub(*catalogue, s, d, name); },
                 [this, &s, &d, catalogue, name] { CreateBody(*catalogue, s, d, name); }});
}

bool TFrame_select_procedure::CreateWhole(const schema::SourceCatalogue& catalogue, DbConnection& source,
                                          DbConnection& destination, const std::string& name) {
    try {
        ExecStatement(destination, "CREATE PROCEDURE " + QuoteIdentifier(name) +
                                       ParameterList(source, catalogue, name) + ProcedureBody(catalogue, name));
    } catch (const std::exception&) {
        return false;
    }
    LogOk("PROCEDURE", name);
    return true;
}

void TFrame_select_procedure::CreateStub(const schema::SourceCatalogue& catalogue, DbConnection& source,
                                         DbConnection& destination, const std::string& name) {
    try {
        ExecStatement(destination, "CREATE PROCEDURE " + QuoteIdentifier(name) +
                                       ParameterList(source, catalogue, name) + StubBody(catalogue, name));
        LogOk("PROCEDURE", name);
    } catch (const std::exception& e) {
        LogError("CREATE ERROR. PROCEDURE " + name, e.what());
    }
}

void TFrame_select_procedure::CreateBody(const schema::SourceCatalogue& catalogue, DbConnection& source,
                                         DbConnection& destination, const std::string& name) {
    try {
        ExecStatement(destination, "ALTER PROCEDURE " + QuoteIdentifier(name) + ParameterList(source, catalogue, name) +
                                       ProcedureBody(catalogue, name));
        LogOk("PROCEDURE", name);
    } catch (const std::exception& e) {
        LogError("CREATE ERROR. PROCEDURE " + name, e.what());
    }
}

}  // namespace dravik::frames

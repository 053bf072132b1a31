#include "frames/psql_routines.h"

#include "frames/declareSQL.h"
#include "frames/routine_parameters.h"
#include "schema/node_keys.h"

#include <stdexcept>

namespace dravik::frames {

namespace {

// The relations that TYPE OF COLUMN declarations of a routine (or of every
// routine of a package) name: the stub or header needs them first.
std::vector<std::string> HeaderNeeds(DbConnection& source, const std::string& owner, bool package) {
    const std::string who = package ? "RDB$PACKAGE_NAME = " + SqlString(owner)
                                    : "RDB$PACKAGE_NAME is null and RDB$FUNCTION_NAME = " + SqlString(owner);
    std::string sql = "select distinct RDB$RELATION_NAME from RDB$FUNCTION_ARGUMENTS where RDB$RELATION_NAME is not "
                      "null and " + who;
    if (package)
        sql += " union select distinct RDB$RELATION_NAME from RDB$PROCEDURE_PARAMETERS where RDB$RELATION_NAME is "
               "not null and " + who;
    auto query = NewQuery(source, sql);
    std::vector<std::string> keys;
    for (query->Open(); !query->Eof(); query->Next())
        keys.push_back(schema::key::Relation(TrimRight(query->Fields(0).AsString())));
    return keys;
}

// The function's body after AS: its stored source, or its external name.
std::string FunctionBody(DbConnection& source, const std::string& name) {
    auto query = NewQuery(source, "select RDB$FUNCTION_SOURCE, RDB$ENGINE_NAME, RDB$ENTRYPOINT from RDB$FUNCTIONS "
                                  "where RDB$PACKAGE_NAME is null and RDB$FUNCTION_NAME=" + SqlString(name));
    query->Open();
    if (query->Eof()) throw std::runtime_error("the source has no function " + name);
    if (!query->Fields(0).IsNull()) return "\r\nAS\r\n" + db::EmbedStoredText(query->Fields(0).AsString());
    if (!query->Fields(1).IsNull())
        return "\r\nEXTERNAL NAME " + SqlString(TrimRight(query->Fields(2).AsString())) + " ENGINE " +
               QuoteIdentifier(query->Fields(1).AsString());
    throw std::runtime_error("the source keeps no text of function " + name);
}

void CreateFunction(TFrame_select& frame, DbConnection& source, DbConnection& destination, const std::string& name,
                    bool stub) {
    try {
        const std::string body = stub ? "\r\nAS\r\nBEGIN\r\nEND" : FunctionBody(source, name);
        ExecStatement(destination, std::string(stub ? "CREATE" : "ALTER") + " FUNCTION " + QuoteIdentifier(name) +
                                       FunctionHeader(source, name) + body);
        frame.LogOk("FUNCTION", name);
    } catch (const std::exception& e) {
        frame.LogError("CREATE ERROR. FUNCTION " + name, e.what());
    }
}

void CreatePackagePart(TFrame_select& frame, DbConnection& source, DbConnection& destination,
                       const std::string& name, bool body) {
    const std::string what = body ? "PACKAGE BODY" : "PACKAGE";
    try {
        auto query = NewQuery(source, std::string("select ") +
                                          (body ? "RDB$PACKAGE_BODY_SOURCE" : "RDB$PACKAGE_HEADER_SOURCE") +
                                          " from RDB$PACKAGES where RDB$PACKAGE_NAME=" + SqlString(name));
        query->Open();
        if (query->Eof()) throw std::runtime_error("the source has no package " + name);
        if (query->Fields(0).IsNull()) {
            if (body) return;  // a header without a body
            throw std::runtime_error("the source keeps no text of package " + name);
        }
        const std::string text = db::EmbedStoredText(query->Fields(0).AsString());
        query->Close();
        ExecStatement(destination, "CREATE " + what + " " + QuoteIdentifier(name) + "\r\nAS\r\n" + text);
        frame.LogOk(what, name);
    } catch (const std::exception& e) {
        frame.LogError("CREATE ERROR. " + what + " " + name, e.what());
    }
}

}  // namespace

std::string FunctionHeader(DbConnection& source, const std::string& name) {
    // The argument's own type columns serve external functions; a PSQL
    // function's arguments are typed by their field, so only the columns that
    // describe the argument itself are taken from RDB$FUNCTION_ARGUMENTS.
    auto query = NewQuery(source,
                          "select a.RDB$ARGUMENT_NAME, a.RDB$ARGUMENT_POSITION, a.RDB$FIELD_SOURCE, "
                          "a.RDB$ARGUMENT_MECHANISM, a.RDB$RELATION_NAME, a.RDB$FIELD_NAME, a.RDB$NULL_FLAG, "
                          "a.RDB$DEFAULT_SOURCE, a.RDB$COLLATION_ID, fn.RDB$RETURN_ARGUMENT, fn.RDB$DETERMINISTIC_FLAG, "
                          "f.*, f.RDB$COLLATION_ID as DOMAIN_COLLATION_ID from RDB$FUNCTION_ARGUMENTS a "
                          "join RDB$FUNCTIONS fn on fn.RDB$FUNCTION_NAME = a.RDB$FUNCTION_NAME and "
                          "fn.RDB$PACKAGE_NAME is null join RDB$FIELDS f on f.RDB$FIELD_NAME = a.RDB$FIELD_SOURCE "
                          "where a.RDB$PACKAGE_NAME is null and a.RDB$FUNCTION_NAME = " + SqlString(name) +
                              " order by a.RDB$ARGUMENT_POSITION");
    std::string arguments, result;
    bool deterministic = false;
    for (query->Open(); !query->Eof(); query->Next()) {
        deterministic = query->FieldByName("RDB$DETERMINISTIC_FLAG").AsInteger() == 1;
        const std::string declaration = ParameterDeclaration(source, *query);
        if (query->FieldByName("RDB$ARGUMENT_POSITION").AsInteger() ==
            query->FieldByName("RDB$RETURN_ARGUMENT").AsInteger())
            result = declaration;
        else
            AppendParameter(arguments, QuoteIdentifier(query->FieldByName("RDB$ARGUMENT_NAME").AsString()) + "  " +
                                           declaration);
    }
    if (result.empty()) throw std::runtime_error("the source has no result type for function " + name);
    return (arguments.empty() ? "" : "(\r\n" + arguments + "\r\n)") + "\r\nRETURNS " + result +
           (deterministic ? " DETERMINISTIC" : "");
}

void PlanFunction(TFrame_select& frame, schema::SchemaPlan& plan, PlanContext& context, const std::string& name) {
    const std::string key = schema::key::Function(name);
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    plan.Add(Node(NodeKind::FunctionStub, key, HeaderNeeds(s, name, false),
                  [&frame, &s, &d, name] { CreateFunction(frame, s, d, name, true); }));
    plan.Add(Node(NodeKind::RoutineBody, schema::key::Body(key), {key},
                  [&frame, &s, &d, name] { CreateFunction(frame, s, d, name, false); }));
}

void PlanPackage(TFrame_select& frame, schema::SchemaPlan& plan, PlanContext& context, const std::string& name) {
    const std::string key = schema::key::Package(name);
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    plan.Add(Node(NodeKind::PackageHeader, key, HeaderNeeds(s, name, true),
                  [&frame, &s, &d, name] { CreatePackagePart(frame, s, d, name, false); }));
    plan.Add(Node(NodeKind::RoutineBody, schema::key::Body(key), {key},
                  [&frame, &s, &d, name] { CreatePackagePart(frame, s, d, name, true); }));
}

}  // namespace dravik::frames

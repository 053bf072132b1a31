#include "frames/psql_routines.h"

#include "frames/declareSQL.h"
#include "frames/routine_parameters.h"
#include "schema/node_keys.h"

#include <algorithm>
#include <memory>
#include <set>
#include <stdexcept>

namespace dravik::frames {

namespace {

// The relations that TYPE OF COLUMN declarations of a package's routines
// name: the header needs them first.
std::vector<std::string> PackageHeaderNeeds(DbConnection& source, const std::string& package) {
    const std::string who = "RDB$PACKAGE_NAME = " + SqlString(package);
    std::vector<std::string> keys;
    db::ForEachRow(source,
                   "select distinct RDB$RELATION_NAME from RDB$FUNCTION_ARGUMENTS where RDB$RELATION_NAME is not null "
                   "and " + who + " union select distinct RDB$RELATION_NAME from RDB$PROCEDURE_PARAMETERS where "
                   "RDB$RELATION_NAME is not null and " + who,
                   [&](db::DbCursorSet& row) {
                       keys.push_back(schema::key::Relation(TrimRight(row.Fields(0).AsString())));
                   });
    return keys;
}

// The same for a stand-alone function's arguments.
std::vector<std::string> FunctionHeaderNeeds(const schema::SourceCatalogue& catalogue, const std::string& function) {
    std::set<std::string> tables;
    for (const schema::CatalogueRow& argument : catalogue.FunctionArguments(function))
        if (!argument.FieldByName("RDB$RELATION_NAME").IsNull()) tables.insert(argument.Name("RDB$RELATION_NAME"));
    std::vector<std::string> keys;
    for (const std::string& table : tables) keys.push_back(schema::key::Relation(table));
    return keys;
}

// The function's body after AS: its stored source, or its external name.
std::string FunctionBody(const schema::SourceCatalogue& catalogue, const std::string& name) {
    return RoutineBody(catalogue.Function(name), "RDB$FUNCTION_SOURCE", "function", name);
}

enum class FunctionPart { Stub, Body, Whole };

// Makes the function, its stub or its body; false when it fails (a failure
// of the whole function is not logged: its stub and body follow).
bool CreateFunction(TFrame_select& frame, const schema::SourceCatalogue& catalogue, DbConnection& source,
                    DbConnection& destination, const std::string& name, FunctionPart part) {
    try {
        const std::string body = part == FunctionPart::Stub ? "\r\nAS\r\nBEGIN\r\nEND" : FunctionBody(catalogue, name);
        ExecStatement(destination, std::string(part == FunctionPart::Body ? "ALTER" : "CREATE") + " FUNCTION " +
                                       QuoteIdentifier(name) + FunctionHeader(source, catalogue, name) + body);
        frame.LogOk("FUNCTION", name);
        return true;
    } catch (const std::exception& e) {
        if (part != FunctionPart::Whole) frame.LogError("CREATE ERROR. FUNCTION " + name, e.what());
        return false;
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

std::string FunctionHeader(DbConnection& source, const schema::SourceCatalogue& catalogue, const std::string& name) {
    const schema::CatalogueRow* function = catalogue.Function(name);
    std::string arguments, result;
    const bool deterministic = function && function->FieldByName("RDB$DETERMINISTIC_FLAG").AsInteger() == 1;
    const int returnPosition = function ? function->FieldByName("RDB$RETURN_ARGUMENT").AsInteger() : 0;
    for (const schema::CatalogueRow& argument : function ? catalogue.FunctionArguments(name)
                                                         : std::vector<schema::CatalogueRow>{}) {
        const std::string declaration = ParameterDeclaration(source, argument);
        if (argument.FieldByName("RDB$ARGUMENT_POSITION").AsInteger() == returnPosition)
            result = declaration;
        else
            AppendParameter(arguments, QuoteIdentifier(argument.FieldByName("RDB$ARGUMENT_NAME").AsString()) + "  " +
                                           declaration);
    }
    if (result.empty()) throw std::runtime_error("the source has no result type for function " + name);
    return (arguments.empty() ? "" : "(\r\n" + arguments + "\r\n)") + "\r\nRETURNS " + result +
           (deterministic ? " DETERMINISTIC" : "");
}

std::string RoutineBody(const schema::CatalogueRow* routine, const char* sourceColumn, const std::string& kind,
                        const std::string& name) {
    if (!routine) throw std::runtime_error("the source has no " + kind + " " + name);
    // The server keeps the body from its first word on, so a line break keeps
    // AS apart from it.
    if (const schema::CatalogueValue& text = routine->FieldByName(sourceColumn); !text.IsNull())
        return "\r\nAS\r\n" + db::EmbedStoredText(text.AsString());
    if (const schema::CatalogueValue& engine = routine->FieldByName("RDB$ENGINE_NAME"); !engine.IsNull())
        return "\r\nEXTERNAL NAME " + SqlString(routine->Name("RDB$ENTRYPOINT")) + " ENGINE " +
               QuoteIdentifier(engine.AsString());
    throw std::runtime_error("the source keeps no text of " + kind + " " + name);
}

void PlanRoutine(schema::SchemaPlan& plan, PlanContext& context, NodeKind kind, const std::string& key,
                 std::vector<std::string> headerNeeds, RoutineMakers makers) {
    std::vector<std::string> needs = headerNeeds;
    for (const std::string& read : context.Links().Of(key))
        if (std::find(needs.begin(), needs.end(), read) == needs.end()) needs.push_back(read);
    auto parts = std::make_shared<schema::SeparableBody>();
    parts->stubNeeds = std::move(headerNeeds);
    parts->stub = makers.stub;
    parts->body = makers.body;
    schema::PlanNode node = Node(kind, key, std::move(needs), [makers] {
        if (makers.whole()) return;
        makers.stub();
        makers.body();
    });
    node.separable = std::move(parts);
    plan.Add(std::move(node));
}

void PlanFunction(TFrame_select& frame, schema::SchemaPlan& plan, PlanContext& context, const std::string& name) {
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    const std::shared_ptr<const schema::SourceCatalogue> catalogue = context.Catalogue();
    auto make = [&frame, &s, &d, catalogue, name](FunctionPart part) {
        return CreateFunction(frame, *catalogue, s, d, name, part);
    };
    PlanRoutine(plan, context, NodeKind::Function, schema::key::Function(name), FunctionHeaderNeeds(*catalogue, name),
                {[make] { return make(FunctionPart::Whole); }, [make] { make(FunctionPart::Stub); },
                 [make] { make(FunctionPart::Body); }});
}

void PlanPackage(TFrame_select& frame, schema::SchemaPlan& plan, PlanContext& context, const std::string& name) {
    const std::string key = schema::key::Package(name);
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    plan.Add(Node(NodeKind::PackageHeader, key, PackageHeaderNeeds(s, name),
                  [&frame, &s, &d, name] { CreatePackagePart(frame, s, d, name, false); }));
    plan.Add(Node(NodeKind::RoutineBody, schema::key::Body(key), {key},
                  [&frame, &s, &d, name] { CreatePackagePart(frame, s, d, name, true); }));
}

}  // namespace dravik::frames

#include "frames/fr_select_udf.h"

#include "frames/declareSQL.h"
#include "schema/node_keys.h"

namespace dravik::frames {

namespace {

// The keywords of an RDB$MECHANISM value. A negative value is the same
// mechanism for a result the server must free.
std::string MechanismText(int mechanism) {
    if (mechanism < 0) return MechanismText(-mechanism) + " FREE_IT";
    switch (mechanism) {
        case 0: return " BY VALUE";
        case 2: return " BY DESCRIPTOR";
        case 5: return " NULL";
        default: return {};  // by reference, blob descriptor: the defaults
    }
}

}  // namespace

std::string TFrame_select_udf::ListingSql() const {
    // External functions only: PSQL functions have no module, and packaged
    // routines belong to their package.
    return "select RDB$FUNCTION_NAME as NAME, RDB$FUNCTION_NAME as OBJ FROM RDB$FUNCTIONS where RDB$MODULE_NAME "
           "is not null and RDB$PACKAGE_NAME is null order by RDB$FUNCTION_NAME;";
}

void TFrame_select_udf::PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& name) {
    DbConnection& s = context.source;
    DbConnection& d = context.destination;
    plan.Add(Node(NodeKind::ExternalFunction, schema::key::Function(TrimRight(name)), {},
                  [this, &s, &d, name] { CreateObject(s, d, name); }));
}

std::string TFrame_select_udf::ArgumentType(DbConnection& source, db::DbCursorSet& argument) {
    return DeclareType(source, ReadFieldType(argument), TypeUse::Argument) +
           MechanismText(argument.FieldByName("RDB$MECHANISM").AsInteger());
}

void TFrame_select_udf::CreateObject(DbConnection& source, DbConnection& destination, const std::string& listed) {
    const std::string name = TrimRight(listed);
    auto function = NewQuery(source, "SELECT * FROM RDB$FUNCTIONS WHERE RDB$PACKAGE_NAME is null and "
                                     "RDB$FUNCTION_NAME=" + SqlString(name));
    auto arguments = NewQuery(
        source, "select distinct r.rdb$type_name, a.* from rdb$types r, RDB$function_arguments a  where "
                "a.rdb$package_name is null and a.rdb$function_name=" + SqlString(name) +
                    " and a.rdb$field_type = r.rdb$type and r.rdb$field_name='RDB$FIELD_TYPE'"
                    " order by a.rdb$argument_position;");
    try {
        function->Open();
        arguments->Open();
        const int returnPosition = function->FieldByName("RDB$RETURN_ARGUMENT").AsInteger();
        std::string argumentList = " ";
        std::string returnClause = " ";
        for (; !arguments->Eof(); arguments->Next()) {
            const std::string type = ArgumentType(source, *arguments);
            const int position = arguments->FieldByName("RDB$ARGUMENT_POSITION").AsInteger();
            if (position == returnPosition && returnPosition == 0) {
                if (!type.empty()) returnClause = " RETURNS " + type;
                continue;
            }
            // A result written into one of the arguments stays in the list and
            // is named by its position, so the function keeps its signature.
            if (position == returnPosition) returnClause = " RETURNS PARAMETER " + std::to_string(position);
            if (!Trim(argumentList).empty()) argumentList += ", ";
            argumentList += type;
        }
        const std::string statement = "DECLARE EXTERNAL FUNCTION " + QuoteIdentifier(name) + argumentList +
                                      returnClause + " ENTRY_POINT " +
                                      db::SqlStringOrNull(Trim(function->FieldByName("RDB$ENTRYPOINT").AsString())) +
                                      " MODULE_NAME " +
                                      db::SqlStringOrNull(Trim(function->FieldByName("RDB$MODULE_NAME").AsString()));
        ExecStatement(destination, statement);
        LogOk("CREATE UDF", listed);
    } catch (const std::exception& e) {
        LogError("Registration error. The function:" + listed, e.what());
    }
}

}  // namespace dravik::frames

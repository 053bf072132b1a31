#include "frames/fr_select_procedure.h"

#include "frames/declareSQL.h"

namespace dravik::frames {

namespace {

// Appends one item to a parameter list: a tab before the first, a comma, a
// line break and a tab before each later one.
void AppendItem(std::string& list, const std::string& item) {
    list += (list.empty() ? "\t" : ",\r\n\t") + item;
}

// The body of a stub: it exits at once. A procedure that is selectable in the
// source gets an unreachable SUSPEND too, so that the server takes the stub as
// selectable and bodies and views that select from it compile before its own
// body is in place.
std::string StubBody(DbConnection& source, const std::string& name) {
    auto query = NewQuery(source, "select RDB$PROCEDURE_TYPE from RDB$PROCEDURES where RDB$PROCEDURE_NAME=" +
                                      QuoteLiteral(name));
    query->Open();
    const bool selectable = !query->Eof() && query->Fields(0).AsInteger() == 1;
    return selectable ? "\r\nAS\r\nbegin\r\n\texit;\r\n\tsuspend;\r\nend;" : "\r\nAS\r\nbegin\r\n\texit;\r\nend;";
}

}  // namespace

std::string TFrame_select_procedure::ListingSql() const {
    return "select RDB$PROCEDURE_NAME as NAME, RDB$PROCEDURE_NAME as OBJ FROM RDB$PROCEDURES where "
           "RDB$SYSTEM_FLAG=0 order by RDB$PROCEDURE_NAME;";
}

std::string TFrame_select_procedure::ParameterList(DbConnection& source, const std::string& name) {
    auto query = NewQuery(source,
                          "select p.RDB$PARAMETER_NAME, p.RDB$PARAMETER_TYPE, f.* FROM rdb$procedure_parameters p, "
                          "RDB$FIELDS f WHERE p.rdb$procedure_name = " +
                              QuoteLiteral(name) +
                              " and p.RDB$FIELD_SOURCE = f.RDB$FIELD_NAME"
                              " ORDER BY RDB$PARAMETER_TYPE, RDB$PARAMETER_NUMBER");
    query->Open();
    std::string inputs, outputs;
    for (; !query->Eof(); query->Next()) {
        const std::string declaration = Trim(query->FieldByName("RDB$PARAMETER_NAME").AsString()) + "  " +
                                        DeclareType(source, ReadFieldType(*query), TypeUse::Parameter);
        AppendItem(query->FieldByName("RDB$PARAMETER_TYPE").AsInteger() == 0 ? inputs : outputs, declaration);
    }
    std::string result;
    if (!inputs.empty()) result = "(\r\n" + inputs + "\r\n)";
    if (!outputs.empty()) result += "\r\nRETURNS(\r\n" + outputs + "\r\n)";
    return result;
}

void TFrame_select_procedure::CreateObject(DbConnection& source, DbConnection& destination, const std::string& listed) {
    const std::string name = UpperCase(Trim(listed));
    try {
        ExecStatement(destination, "CREATE PROCEDURE " + name + ParameterList(source, name) + StubBody(source, name));
        LogOk("PROCEDURE", name);
    } catch (const std::exception& e) {
        LogError("CREATE ERROR. PROCEDURE " + name, e.what());
    }
}

void TFrame_select_procedure::CompleteObject(DbConnection& source, DbConnection& destination,
                                             const std::string& listed) {
    const std::string name = UpperCase(Trim(listed));
    auto query = NewQuery(source, "select * from RDB$PROCEDURES where RDB$PROCEDURE_NAME=" + QuoteLiteral(name));
    try {
        query->Open();
        // The server keeps the body from its first word on, so a line break
        // keeps AS apart from it.
        ExecStatement(destination, "ALTER PROCEDURE " + name + ParameterList(source, name) + "\r\nAS\r\n" +
                                       query->FieldByName("RDB$PROCEDURE_SOURCE").AsString());
        LogOk("PROCEDURE", name);
    } catch (const std::exception& e) {
        LogError("CREATE ERROR. PROCEDURE " + name, e.what());
    }
}

}  // namespace dravik::frames

#include "schema/source_catalogue.h"

#include "db/db_query.h"
#include "db/sql_text.h"

namespace dravik::schema {

namespace {

using db::TrimRight;

std::string NameOf(db::DbField& field) { return TrimRight(field.AsString()); }

CatalogueValue ValueOf(db::DbField& field) {
    return field.IsNull() ? CatalogueValue() : CatalogueValue(field.AsString());
}

template <typename Map>
const typename Map::mapped_type* Find(const Map& map, const std::string& name) {
    const auto found = map.find(name);
    return found == map.end() ? nullptr : &found->second;
}

// The columns of RDB$FIELDS that make up a type (see ReadFieldType), after
// the alias of the table.
std::string TypeColumns(const std::string& alias) {
    std::string list;
    for (const char* column : {"RDB$FIELD_TYPE", "RDB$FIELD_SUB_TYPE", "RDB$FIELD_LENGTH", "RDB$FIELD_PRECISION",
                               "RDB$FIELD_SCALE", "RDB$SEGMENT_LENGTH", "RDB$CHARACTER_LENGTH",
                               "RDB$CHARACTER_SET_ID"})
        list += alias + column + ", ";
    return list;
}

// Groups rows by the trimmed value of a column, keeping their order.
void GroupRows(std::vector<CatalogueRow> rows, const std::string& column,
               std::unordered_map<std::string, std::vector<CatalogueRow>>& into) {
    for (CatalogueRow& row : rows) into[row.Name(column)].push_back(std::move(row));
}

void IndexRows(std::vector<CatalogueRow> rows, const std::string& column,
               std::unordered_map<std::string, CatalogueRow>& into) {
    for (CatalogueRow& row : rows) into[row.Name(column)] = std::move(row);
}

// A user relation's columns with their fields; see CatalogueRelation::columns.
const std::string kColumns =
    "select f.RDB$RELATION_NAME, f.RDB$FIELD_NAME, f.RDB$FIELD_SOURCE, f.RDB$FIELD_POSITION, f.RDB$NULL_FLAG, "
    "f.RDB$DEFAULT_SOURCE, f.RDB$COLLATION_ID, f.RDB$GENERATOR_NAME, f.RDB$IDENTITY_TYPE, " + TypeColumns("ff.") +
    "ff.RDB$DIMENSIONS, ff.RDB$COMPUTED_SOURCE, ff.RDB$COLLATION_ID as DOMAIN_COLLATION_ID "
    "from RDB$RELATION_FIELDS f join RDB$FIELDS ff on ff.RDB$FIELD_NAME = f.RDB$FIELD_SOURCE "
    "join RDB$RELATIONS r on r.RDB$RELATION_NAME = f.RDB$RELATION_NAME "
    "where coalesce(r.RDB$SYSTEM_FLAG, 0) <> 1 order by f.RDB$RELATION_NAME, f.RDB$FIELD_POSITION";

// Routine parameters and arguments, each with its field; see
// SourceCatalogue::ProcedureParameters.
const std::string kParameterColumns = "p.RDB$FIELD_SOURCE, p.RDB$RELATION_NAME, p.RDB$FIELD_NAME, p.RDB$NULL_FLAG, "
                                      "p.RDB$DEFAULT_SOURCE, p.RDB$COLLATION_ID, " + TypeColumns("f.") +
                                      "f.RDB$COLLATION_ID as DOMAIN_COLLATION_ID ";
const std::string kProcedureParameters =
    "select p.RDB$PROCEDURE_NAME, p.RDB$PARAMETER_NAME, p.RDB$PARAMETER_TYPE, p.RDB$PARAMETER_MECHANISM, " +
    kParameterColumns +
    "from RDB$PROCEDURE_PARAMETERS p join RDB$FIELDS f on f.RDB$FIELD_NAME = p.RDB$FIELD_SOURCE "
    "where p.RDB$PACKAGE_NAME is null "
    "order by p.RDB$PROCEDURE_NAME, p.RDB$PARAMETER_TYPE, p.RDB$PARAMETER_NUMBER";
const std::string kFunctionArguments =
    "select p.RDB$FUNCTION_NAME, p.RDB$ARGUMENT_NAME, p.RDB$ARGUMENT_POSITION, p.RDB$ARGUMENT_MECHANISM, " +
    kParameterColumns +
    "from RDB$FUNCTION_ARGUMENTS p join RDB$FIELDS f on f.RDB$FIELD_NAME = p.RDB$FIELD_SOURCE "
    "where p.RDB$PACKAGE_NAME is null order by p.RDB$FUNCTION_NAME, p.RDB$ARGUMENT_POSITION";
const std::string kDomains = "select RDB$FIELD_NAME, " + TypeColumns("") +
                             "RDB$DIMENSIONS, RDB$DEFAULT_SOURCE, RDB$NULL_FLAG, RDB$COLLATION_ID, "
                             "RDB$VALIDATION_SOURCE from RDB$FIELDS where RDB$FIELD_NAME not like 'RDB$%'";

constexpr const char* kTriggers =
    "select RDB$TRIGGER_NAME, RDB$RELATION_NAME, RDB$TRIGGER_SEQUENCE, RDB$TRIGGER_TYPE, RDB$TRIGGER_SOURCE, "
    "RDB$TRIGGER_INACTIVE, RDB$SYSTEM_FLAG, RDB$FLAGS, RDB$ENGINE_NAME, RDB$ENTRYPOINT from RDB$TRIGGERS "
    "where coalesce(RDB$SYSTEM_FLAG, 0) <> 1 order by RDB$TRIGGER_SEQUENCE, RDB$TRIGGER_NAME";

}  // namespace

SourceCatalogue SourceCatalogue::Read(db::DbConnection& source) {
    db::DbTransaction& transaction = source.DefaultTransaction();
    const bool started = !transaction.InTransaction();
    if (started) transaction.SetActive(true);
    SourceCatalogue c;
    auto each = [&source](const char* sql, const std::function<void(db::DbCursorSet&)>& visit) {
        db::ForEachRow(source, sql, visit);
    };
    try {
        each("select RDB$RELATION_NAME, RDB$RELATION_TYPE, RDB$EXTERNAL_FILE, RDB$VIEW_SOURCE from RDB$RELATIONS",
             [&](db::DbCursorSet& row) {
                 CatalogueRelation& relation = c.relations_[NameOf(row.Fields(0))];
                 relation.type = row.Fields(1).AsInteger();
                 relation.externalFile = ValueOf(row.Fields(2));
                 relation.viewSource = ValueOf(row.Fields(3));
             });
        for (CatalogueRow& column : ReadCatalogueRows(source, kColumns))
            c.relations_[column.Name("RDB$RELATION_NAME")].columns.push_back(std::move(column));
        each("select RDB$CONSTRAINT_NAME, RDB$CONSTRAINT_TYPE, RDB$RELATION_NAME, RDB$INDEX_NAME "
             "from RDB$RELATION_CONSTRAINTS order by RDB$CONSTRAINT_NAME",
             [&](db::DbCursorSet& row) {
                 CatalogueConstraint constraint{NameOf(row.Fields(0)), NameOf(row.Fields(1)), NameOf(row.Fields(3)),
                                                NameOf(row.Fields(2))};
                 c.relations_[constraint.relation].constraints.push_back(constraint);
                 c.constraints_[constraint.name] = std::move(constraint);
             });
        each("select RDB$CONSTRAINT_NAME, RDB$CONST_NAME_UQ, RDB$UPDATE_RULE, RDB$DELETE_RULE from RDB$REF_CONSTRAINTS",
             [&](db::DbCursorSet& row) {
                 c.foreignKeys_[NameOf(row.Fields(0))] = {NameOf(row.Fields(1)), row.Fields(2).AsString(),
                                                          row.Fields(3).AsString()};
             });
        each("select RDB$CONSTRAINT_NAME, RDB$TRIGGER_NAME from RDB$CHECK_CONSTRAINTS", [&](db::DbCursorSet& row) {
            c.checkEntries_[NameOf(row.Fields(0))].push_back(NameOf(row.Fields(1)));
        });
        each("select RDB$INDEX_NAME, RDB$RELATION_NAME, RDB$UNIQUE_FLAG, RDB$INDEX_TYPE, RDB$INDEX_INACTIVE, "
             "RDB$SYSTEM_FLAG, RDB$EXPRESSION_SOURCE from RDB$INDICES order by RDB$INDEX_NAME",
             [&](db::DbCursorSet& row) {
                 const std::string name = NameOf(row.Fields(0));
                 CatalogueIndex& index = c.indices_[name];
                 index.relation = NameOf(row.Fields(1));
                 index.unique = row.Fields(2).AsInteger() == 1;
                 index.descending = row.Fields(3).AsInteger() == 1;
                 index.inactive = row.Fields(4).AsInteger() == 1;
                 index.system = row.Fields(5).AsInteger() != 0;
                 index.expression = ValueOf(row.Fields(6));
                 c.relations_[index.relation].indices.push_back(name);
             });
        each("select RDB$INDEX_NAME, RDB$FIELD_NAME from RDB$INDEX_SEGMENTS order by RDB$INDEX_NAME, "
             "RDB$FIELD_POSITION",
             [&](db::DbCursorSet& row) {
                 c.indices_[NameOf(row.Fields(0))].segments.push_back(row.Fields(1).AsString());
             });
        for (CatalogueRow& trigger : ReadCatalogueRows(source, kTriggers)) {
            const std::string name = trigger.Name("RDB$TRIGGER_NAME");
            const std::string relation = trigger.Name("RDB$RELATION_NAME");
            if (!relation.empty() && trigger.FieldByName("RDB$SYSTEM_FLAG").AsInteger() == 0)
                c.relations_[relation].triggers.push_back(name);
            c.triggers_[name] = std::move(trigger);
        }
        each("select RDB$GENERATOR_NAME, RDB$INITIAL_VALUE, RDB$GENERATOR_INCREMENT from RDB$GENERATORS",
             [&](db::DbCursorSet& row) {
                 c.generators_[NameOf(row.Fields(0))] = {ValueOf(row.Fields(1)), ValueOf(row.Fields(2))};
             });
        each("select RDB$FIELD_NAME, RDB$LOWER_BOUND, RDB$UPPER_BOUND from RDB$FIELD_DIMENSIONS "
             "order by RDB$FIELD_NAME, RDB$DIMENSION",
             [&](db::DbCursorSet& row) {
                 std::string& bounds = c.dimensions_[NameOf(row.Fields(0))];
                 bounds += (bounds.empty() ? "[" : ", ") + row.Fields(1).AsString() + ":" + row.Fields(2).AsString();
             });
        for (auto& [field, bounds] : c.dimensions_) bounds += "]";
        each("select RDB$EXCEPTION_NAME, RDB$MESSAGE from RDB$EXCEPTIONS", [&](db::DbCursorSet& row) {
            c.exceptions_[NameOf(row.Fields(0))] = ValueOf(row.Fields(1));
        });
        IndexRows(ReadCatalogueRows(source, kDomains), "RDB$FIELD_NAME", c.domains_);
        IndexRows(ReadCatalogueRows(source, "select RDB$PROCEDURE_NAME, RDB$PROCEDURE_TYPE, RDB$PROCEDURE_SOURCE, "
                                            "RDB$ENGINE_NAME, RDB$ENTRYPOINT from RDB$PROCEDURES "
                                            "where RDB$PACKAGE_NAME is null"),
                  "RDB$PROCEDURE_NAME", c.procedures_);
        IndexRows(ReadCatalogueRows(source, "select RDB$FUNCTION_NAME, RDB$FUNCTION_SOURCE, RDB$ENGINE_NAME, "
                                            "RDB$ENTRYPOINT, RDB$RETURN_ARGUMENT, RDB$DETERMINISTIC_FLAG "
                                            "from RDB$FUNCTIONS where RDB$PACKAGE_NAME is null"),
                  "RDB$FUNCTION_NAME", c.functions_);
        GroupRows(ReadCatalogueRows(source, kProcedureParameters), "RDB$PROCEDURE_NAME", c.procedureParameters_);
        GroupRows(ReadCatalogueRows(source, kFunctionArguments), "RDB$FUNCTION_NAME", c.functionArguments_);
        if (started) transaction.Commit();
    } catch (...) {
        if (started && transaction.InTransaction()) transaction.Rollback();
        throw;
    }
    return c;
}

const CatalogueRelation* SourceCatalogue::Relation(const std::string& name) const { return Find(relations_, name); }

const CatalogueRow* SourceCatalogue::Column(const std::string& relation, const std::string& column) const {
    const CatalogueRelation* owner = Relation(relation);
    if (!owner) return nullptr;
    for (const CatalogueRow& row : owner->columns)
        if (row.Name("RDB$FIELD_NAME") == column) return &row;
    return nullptr;
}

const CatalogueIndex* SourceCatalogue::Index(const std::string& name) const { return Find(indices_, name); }

const CatalogueConstraint* SourceCatalogue::Constraint(const std::string& name) const {
    return Find(constraints_, name);
}

const CatalogueForeignKey* SourceCatalogue::ForeignKey(const std::string& constraint) const {
    return Find(foreignKeys_, constraint);
}

const CatalogueRow* SourceCatalogue::Trigger(const std::string& name) const { return Find(triggers_, name); }

const std::vector<std::string>& SourceCatalogue::CheckEntries(const std::string& constraint) const {
    static const std::vector<std::string> kNone;
    const auto* found = Find(checkEntries_, constraint);
    return found ? *found : kNone;
}

CatalogueValue SourceCatalogue::GeneratorInitialValue(const std::string& generator) const {
    const auto* found = Find(generators_, generator);
    return found ? found->first : CatalogueValue();
}

CatalogueValue SourceCatalogue::GeneratorIncrement(const std::string& generator) const {
    const auto* found = Find(generators_, generator);
    return found ? found->second : CatalogueValue();
}

std::string SourceCatalogue::ArrayDimensions(const std::string& field) const {
    const std::string* found = Find(dimensions_, field);
    return found ? *found : std::string();
}

CatalogueValue SourceCatalogue::ExceptionMessage(const std::string& name) const {
    const CatalogueValue* found = Find(exceptions_, name);
    return found ? *found : CatalogueValue();
}

const CatalogueRow* SourceCatalogue::Domain(const std::string& name) const { return Find(domains_, name); }

const CatalogueRow* SourceCatalogue::Procedure(const std::string& name) const { return Find(procedures_, name); }

const CatalogueRow* SourceCatalogue::Function(const std::string& name) const { return Find(functions_, name); }

const std::vector<CatalogueRow>& SourceCatalogue::ProcedureParameters(const std::string& procedure) const {
    static const std::vector<CatalogueRow> kNone;
    const auto* found = Find(procedureParameters_, procedure);
    return found ? *found : kNone;
}

const std::vector<CatalogueRow>& SourceCatalogue::FunctionArguments(const std::string& function) const {
    static const std::vector<CatalogueRow> kNone;
    const auto* found = Find(functionArguments_, function);
    return found ? *found : kNone;
}

}  // namespace dravik::schema

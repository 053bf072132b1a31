// The source's catalogue as the plan needs it, read in bulk once per job (one
// select per system table, in the source's one snapshot) and grouped by the
// object that owns each row, so that planning and building a table's DDL
// asks the server nothing more.
#pragma once

#include "db/db_connection.h"
#include "schema/catalogue_row.h"

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace dravik::schema {

struct CatalogueIndex {
    std::string relation;
    bool unique = false;
    bool descending = false;
    bool inactive = false;
    bool system = false;             // RDB$SYSTEM_FLAG set
    CatalogueValue expression;       // RDB$EXPRESSION_SOURCE
    std::vector<std::string> segments;  // column names as stored, in key order
};

struct CatalogueConstraint {
    std::string name;
    std::string type;   // PRIMARY KEY, UNIQUE, FOREIGN KEY, CHECK, NOT NULL
    std::string index;  // "" for CHECK and NOT NULL
    std::string relation;
};

struct CatalogueForeignKey {
    std::string uniqueConstraint;  // RDB$CONST_NAME_UQ
    std::string updateRule, deleteRule;  // as stored
};

struct CatalogueRelation {
    int type = 0;                  // RDB$RELATION_TYPE
    CatalogueValue externalFile;   // RDB$EXTERNAL_FILE
    CatalogueValue viewSource;     // RDB$VIEW_SOURCE
    // RDB$RELATION_FIELDS joined with its RDB$FIELDS row, in position order:
    // the column's own RDB$FIELD_SOURCE, RDB$DEFAULT_SOURCE, RDB$NULL_FLAG,
    // RDB$COLLATION_ID, RDB$GENERATOR_NAME; the field's type columns,
    // RDB$DIMENSIONS, RDB$COMPUTED_SOURCE and DOMAIN_COLLATION_ID.
    std::vector<CatalogueRow> columns;
    std::vector<CatalogueConstraint> constraints;  // by name
    std::vector<std::string> indices;              // by name
    std::vector<std::string> triggers;             // user triggers, by sequence and name
};

class SourceCatalogue {
public:
    // Reads everything in one transaction: the default one when it is
    // active (the job's snapshot), else one started and committed here.
    static SourceCatalogue Read(db::DbConnection& source);

    // Null when the source has none of that name.
    const CatalogueRelation* Relation(const std::string& name) const;
    const CatalogueRow* Column(const std::string& relation, const std::string& column) const;
    const CatalogueIndex* Index(const std::string& name) const;
    const CatalogueConstraint* Constraint(const std::string& name) const;
    const CatalogueForeignKey* ForeignKey(const std::string& constraint) const;
    // RDB$TRIGGERS columns RDB$TRIGGER_NAME, RDB$RELATION_NAME,
    // RDB$TRIGGER_SEQUENCE, RDB$TRIGGER_TYPE, RDB$TRIGGER_SOURCE,
    // RDB$TRIGGER_INACTIVE, RDB$SYSTEM_FLAG, RDB$FLAGS, RDB$ENGINE_NAME,
    // RDB$ENTRYPOINT; system triggers (flag 1) are not kept.
    const CatalogueRow* Trigger(const std::string& name) const;
    // RDB$CHECK_CONSTRAINTS of a constraint: its triggers (for a CHECK) or
    // its column (for a NOT NULL), in stored order.
    const std::vector<std::string>& CheckEntries(const std::string& constraint) const;
    // A generator's RDB$INITIAL_VALUE and RDB$GENERATOR_INCREMENT; NULL when
    // none or no such generator.
    CatalogueValue GeneratorInitialValue(const std::string& generator) const;
    CatalogueValue GeneratorIncrement(const std::string& generator) const;
    // The bounds of an array field ("[1:5]", "[0:2, 1:3]"), "" for a scalar.
    std::string ArrayDimensions(const std::string& field) const;

    // An exception's RDB$MESSAGE; NULL when none or no such exception.
    CatalogueValue ExceptionMessage(const std::string& name) const;
    // A domain's RDB$FIELDS row: RDB$FIELD_NAME, the type columns,
    // RDB$DIMENSIONS, RDB$DEFAULT_SOURCE, RDB$NULL_FLAG, RDB$COLLATION_ID,
    // RDB$VALIDATION_SOURCE. Implicit domains (RDB$n) are not kept.
    const CatalogueRow* Domain(const std::string& name) const;
    // A stand-alone procedure's RDB$PROCEDURE_TYPE, RDB$PROCEDURE_SOURCE,
    // RDB$ENGINE_NAME and RDB$ENTRYPOINT.
    const CatalogueRow* Procedure(const std::string& name) const;
    // A stand-alone function's RDB$FUNCTION_SOURCE, RDB$ENGINE_NAME,
    // RDB$ENTRYPOINT, RDB$RETURN_ARGUMENT and RDB$DETERMINISTIC_FLAG.
    const CatalogueRow* Function(const std::string& name) const;
    // A stand-alone procedure's parameters (inputs, then outputs, by number)
    // and a stand-alone PSQL function's arguments (by position): each row the
    // parameter's own RDB$PARAMETER_NAME or RDB$ARGUMENT_NAME and _POSITION,
    // RDB$PARAMETER_TYPE, RDB$FIELD_SOURCE, _MECHANISM, RDB$RELATION_NAME,
    // RDB$FIELD_NAME, RDB$NULL_FLAG, RDB$DEFAULT_SOURCE, RDB$COLLATION_ID,
    // with its field's type columns and DOMAIN_COLLATION_ID.
    const std::vector<CatalogueRow>& ProcedureParameters(const std::string& procedure) const;
    const std::vector<CatalogueRow>& FunctionArguments(const std::string& function) const;

private:
    std::unordered_map<std::string, CatalogueRelation> relations_;
    std::unordered_map<std::string, CatalogueIndex> indices_;
    std::unordered_map<std::string, CatalogueConstraint> constraints_;
    std::unordered_map<std::string, CatalogueForeignKey> foreignKeys_;
    std::unordered_map<std::string, CatalogueRow> triggers_;
    std::unordered_map<std::string, std::vector<std::string>> checkEntries_;
    std::unordered_map<std::string, std::pair<CatalogueValue, CatalogueValue>> generators_;  // initial, step
    std::unordered_map<std::string, std::string> dimensions_;
    std::unordered_map<std::string, CatalogueValue> exceptions_;
    std::unordered_map<std::string, CatalogueRow> domains_, procedures_, functions_;
    std::unordered_map<std::string, std::vector<CatalogueRow>> procedureParameters_, functionArguments_;
};

}  // namespace dravik::schema

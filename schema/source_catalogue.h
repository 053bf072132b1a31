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
    // A generator's RDB$INITIAL_VALUE; NULL when none or no such generator.
    CatalogueValue GeneratorInitialValue(const std::string& generator) const;
    // The bounds of an array field ("[1:5]", "[0:2, 1:3]"), "" for a scalar.
    std::string ArrayDimensions(const std::string& field) const;

private:
    std::unordered_map<std::string, CatalogueRelation> relations_;
    std::unordered_map<std::string, CatalogueIndex> indices_;
    std::unordered_map<std::string, CatalogueConstraint> constraints_;
    std::unordered_map<std::string, CatalogueForeignKey> foreignKeys_;
    std::unordered_map<std::string, CatalogueRow> triggers_;
    std::unordered_map<std::string, std::vector<std::string>> checkEntries_;
    std::unordered_map<std::string, CatalogueValue> generators_;
    std::unordered_map<std::string, std::string> dimensions_;
};

}  // namespace dravik::schema

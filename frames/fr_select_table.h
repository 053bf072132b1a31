// Tables: columns, primary and unique keys and indices before the rows;
// checks, triggers and foreign keys after them. Every key, index, check and
// trigger is a plan node of its own, so one that fails takes no other along.
#pragma once

#include "frames/fr_select.h"
#include "schema/source_catalogue.h"

namespace dravik::frames {

// The primary key that CREATE TABLE must make itself, and the key columns
// written there without NOT NULL: those with the null flag set and no NOT
// NULL constraint of their own. No constraint when the table has none such.
struct KeyOfCreateTable {
    std::string constraint;
    std::vector<std::string> columns;
};

class TFrame_select_table : public TFrame_select {
public:
    std::string Title() const override { return "Tables"; }
    std::string SummaryHeading() const override { return "\r\nTables"; }
    std::string ListingSql() const override;
    ObjectKind ListedKind() const override { return ObjectKind::Table; }
    std::string CreateStepCode() const override { return StepOf(NodeKind::Table); }
    std::string CompleteStepCode() const override { return StepOf(NodeKind::ForeignKey); }
    void PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& name) override;

    // The declaration of one column of the catalogue (see
    // CatalogueRelation::columns): domain or type, identity, default, NOT NULL
    // (unless left to a key of CREATE TABLE), collation. The source names
    // character sets and collations.
    static std::string ColumnDeclaration(DbConnection& source, const schema::SourceCatalogue& catalogue,
                                         const schema::CatalogueRow& row, bool notNull = true);
    // The words of an ON UPDATE / ON DELETE clause for a stored rule: the
    // rule as stored, NO ACTION when none is stored, "" (no clause) for
    // RESTRICT.
    static std::string ReferentialRule(const std::string& storedRule);
    static std::string TriggerEventWords(int triggerType);

private:
    void CreateTable(const schema::SourceCatalogue& catalogue, DbConnection& source, DbConnection& destination,
                     const std::string& table, const std::vector<std::string>& deferredColumns,
                     const KeyOfCreateTable& key);
    void AddComputedColumn(const schema::SourceCatalogue& catalogue, DbConnection& source,
                           DbConnection& destination, const std::string& table, const std::string& column);
    void PlanConstraints(schema::SchemaPlan& plan, PlanContext& context, const std::string& table,
                         const std::string& keyOfCreateTable);
    void PlanIndices(schema::SchemaPlan& plan, PlanContext& context, const std::string& table);
    void CreateKey(const schema::SourceCatalogue& catalogue, DbConnection& destination, const std::string& table,
                   const std::string& constraint);
    // The run log's line of a key that CREATE TABLE made: green when the
    // destination's table has its primary key.
    void ConfirmKeyOfCreateTable(DbConnection& destination, const std::string& table, const std::string& constraint);
    void CreateForeignKey(const schema::SourceCatalogue& catalogue, DbConnection& destination,
                          const std::string& table, const std::string& constraint);
    void CreateCheck(const schema::SourceCatalogue& catalogue, DbConnection& destination, const std::string& table,
                     const std::string& constraint);
    void CreateIndex(const schema::SourceCatalogue& catalogue, DbConnection& destination, const std::string& table,
                     const std::string& index);
};

// The quoted names of an index's columns in segment order, joined with ", ".
std::string IndexColumns(const schema::SourceCatalogue& catalogue, const std::string& index);
// "[CONSTRAINT name] PRIMARY KEY|UNIQUE (columns) [USING ... INDEX name]" of a
// source key, for ALTER TABLE ADD and CREATE TABLE alike; its type in type.
std::string KeyDefinition(const schema::SourceCatalogue& catalogue, const std::string& constraint, std::string& type);
// The table's primary key if CREATE TABLE must make it (see KeyOfCreateTable).
KeyOfCreateTable PrimaryKeyOfCreateTable(const schema::SourceCatalogue& catalogue, const std::string& table);

}  // namespace dravik::frames

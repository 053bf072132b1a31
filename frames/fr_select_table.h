// Tables: columns, primary key and indices in the create pass; triggers and
// foreign keys in the completion pass, after the rows are copied.
#pragma once

#include "db/db_cursor_set.h"
#include "frames/fr_select.h"

namespace dravik::db {
class DbQuery;
}

namespace dravik::frames {

class TFrame_select_table : public TFrame_select {
public:
    std::string Title() const override { return "Tables"; }
    std::string SummaryHeading() const override { return "\r\nTables"; }
    std::string ListingSql() const override;
    void CreateObject(DbConnection& source, DbConnection& destination, const std::string& name) override;
    void CompleteObject(DbConnection& source, DbConnection& destination, const std::string& name) override;

    // The declaration of one column row (RDB$RELATION_FIELDS f joined with RDB$FIELDS ff).
    static std::string ColumnDeclaration(DbConnection& source, db::DbCursorSet& row);
    void CreatePrimaryKey(DbConnection& source, DbConnection& destination, const std::string& table);
    void CreateForeignKeys(DbConnection& source, DbConnection& destination, const std::string& table);
    // The words of an ON UPDATE / ON DELETE clause for a stored rule.
    static std::string ReferentialRule(const std::string& storedRule);
    void CreateIndices(DbConnection& source, DbConnection& destination, const std::string& table);
    void CreateTriggers(DbConnection& source, DbConnection& destination, const std::string& table);
    // The event words of an RDB$TRIGGER_TYPE code of a table trigger
    // ("BEFORE INSERT", "AFTER UPDATE OR DELETE", ...); "" for any other code.
    static std::string TriggerEventWords(int triggerType);

private:
    // Runs a segment query on the reused query object and joins the trimmed
    // values of its first column with ", ".
    static std::string ColumnList(db::DbQuery& segments, const std::string& sql);
};

}  // namespace dravik::frames

// Domains: one CREATE DOMAIN per domain, from its RDB$FIELDS row.
#pragma once

#include "db/db_cursor_set.h"
#include "frames/fr_select.h"

namespace dravik::frames {

class TFrame_select_domain : public TFrame_select {
public:
    std::string Title() const override { return "Domain"; }
    std::string SummaryHeading() const override { return "\r\nDomains"; }
    std::string ListingSql() const override;
    void CreateObject(DbConnection& source, DbConnection& destination, const std::string& name) override;

    // What follows " AS " in the statement, without the collation.
    static std::string DomainDeclaration(DbConnection& source, db::DbCursorSet& row);
};

}  // namespace dravik::frames

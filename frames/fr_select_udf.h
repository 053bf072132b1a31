// External functions: declared in the destination with DECLARE EXTERNAL
// FUNCTION, rebuilt from RDB$FUNCTIONS and RDB$FUNCTION_ARGUMENTS.
#pragma once

#include "db/db_cursor_set.h"
#include "frames/fr_select.h"

namespace dravik::frames {

class TFrame_select_udf : public TFrame_select {
public:
    std::string Title() const override { return "UDF"; }
    std::string SummaryHeading() const override { return "\r\nUser Defined Functions (UDF)"; }
    std::string ListingSql() const override;
    ObjectKind ListedKind() const override { return ObjectKind::ExternalFunction; }
    std::string CreateStepCode() const override { return StepOf(NodeKind::ExternalFunction); }
    void PlanObject(schema::SchemaPlan& plan, PlanContext& context, const std::string& name) override;
    void CreateObject(DbConnection& source, DbConnection& destination, const std::string& name);

    // The declaration of one argument row (type and passing mechanism).
    static std::string ArgumentType(DbConnection& source, db::DbCursorSet& argument);
};

}  // namespace dravik::frames

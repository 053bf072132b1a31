// Stored procedures: a stub with the full header in the create pass, the real
// body in the completion pass, so that procedures may call each other.
#pragma once

#include "frames/fr_select.h"

namespace dravik::frames {

class TFrame_select_procedure : public TFrame_select {
public:
    std::string Title() const override { return "Procedures"; }
    std::string SummaryHeading() const override { return "\r\nProcedures"; }
    std::string ListingSql() const override;
    void CreateObject(DbConnection& source, DbConnection& destination, const std::string& name) override;
    void CompleteObject(DbConnection& source, DbConnection& destination, const std::string& name) override;

    // The header from right after the name up to AS: inputs, then RETURNS(outputs).
    static std::string ParameterList(DbConnection& source, const std::string& name);
};

}  // namespace dravik::frames

// Generators: created, and set to their value in the source when asked.
#pragma once

#include "frames/fr_select.h"

namespace dravik::frames {

class TFrame_select_generator : public TFrame_select {
public:
    // "Use the current value of generator"; read anew for every generator.
    bool cbGenID = true;

    std::string Title() const override { return "GENERATORS"; }
    std::string SummaryHeading() const override { return "\r\nGenerators"; }
    std::string ListingSql() const override;
    void CreateObject(DbConnection& source, DbConnection& destination, const std::string& name) override;

    // The generator's current value in the source, or "1" when it cannot be read.
    std::string GeneratorValue(DbConnection& source, const std::string& name);
};

}  // namespace dravik::frames

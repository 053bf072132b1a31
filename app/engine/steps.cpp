#include "app/engine/steps.h"

#include <strings.h>

namespace dravik::engine {

const std::vector<Step>& StepList() {
    static const std::vector<Step> steps = {
        {"P_SRC", "Label15", "Source database"},
        {"P_DST", "Label16", "Target database"},
        {"P_UDF", "Label17", "UDF"},
        {"P_DOM", "Label18", "Domains"},
        {"P_GEN", "Label19", "Generators"},
        {"P_EXC", "Label20", "Exceptions"},
        {"P_PRC", "Label21", "Procedures"},
        {"P_TAB", "Label22", "Tables"},
        {"P_VIW", "Label23", "Views"},
        {"P_DAT", "Label24", "Data"},
        {"M_DST", "Label26", "Database creation"},
        {"M_UDF", "Label27", "UDF registration"},
        {"M_DOM", "Label28", "Domains creation"},
        {"M_GEN", "Label36", "Generators creation"},
        {"M_EXC", "Label37", "Registration of exceptions"},
        {"M_PRC", "Label29", "Registration of procedures"},
        {"M_TAB", "Label30", "Tables creation"},
        {"M_VIW", "Label31", "Views creation"},
        {"M_DAT", "Label32", "Data copy process"},
        {"M_ROL", "Label35", "Roles and rights"},
        {"A_TRG", "Label33", "Triggers and keys"},
        {"A_PRC", "Label34", "Procedures"},
    };
    return steps;
}

int FindStep(const std::string& code) {
    const auto& steps = StepList();
    for (size_t i = 0; i < steps.size(); ++i)
        if (strcasecmp(steps[i].code.c_str(), code.c_str()) == 0) return static_cast<int>(i);
    return -1;
}

}  // namespace dravik::engine

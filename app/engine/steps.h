// The step list: the wizard pages and the job steps, each with its code and
// label, in the order the step indicator shows them.
#pragma once

#include <string>
#include <vector>

namespace dravik::engine {

struct Step {
    std::string code;   // "P_SRC", "M_DST", ...
    std::string label;  // the label control's name, "Label15", ...
    std::string caption;  // what the label shows, "Source database", ...
};

const std::vector<Step>& StepList();
// Index of a code in the step list, compared without regard to case; -1 when absent.
int FindStep(const std::string& code);

}  // namespace dravik::engine

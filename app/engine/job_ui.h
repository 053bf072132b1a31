// What the clone job needs from whoever shows it: message boxes, the step
// indicator, letting pending events run, and the state of the buttons. The
// window implements it with widgets, the command-line driver with text, the
// tests with memory. Every operation has a do-nothing default.
#pragma once

#include <string>

namespace dravik::engine {

class JobUi {
public:
    virtual ~JobUi() = default;
    // A modal message the user must read ("No database file defined", ...).
    virtual void ShowMessage(const std::string&) {}
    // Highlights the step label of a code; an empty or unknown code highlights nothing.
    virtual void ShowStep(const std::string&) {}
    // Lets pending window events run (where a "Cancel" asks the job to stop).
    virtual void ProcessEvents() {}
    // "<< Prev" and "Next >>" enabled or not.
    virtual void SetNavigationEnabled(bool) {}
    // The finished job gives "Cancel" the caption "Finish".
    virtual void JobFinished() {}
};

}  // namespace dravik::engine

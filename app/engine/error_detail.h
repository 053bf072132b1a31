// The detail a red line of the run log can carry: the text of the statement
// whose failure it reports.
#pragma once

#include <exception>
#include <string>

namespace dravik::engine {

// The statement a DbServerError carries; empty for any other error.
std::string ErrorDetail(const std::exception& error);

// The detail of the error being handled when a red line is written from a
// catch block and its text shows that error's message; empty otherwise.
// The frames and the job report a failure as LogError(caption, e.what())
// inside the handler, so every such line gets its statement without the
// catch sites naming it.
std::string HandledErrorDetail(const std::string& lineText);

// True when the error being handled, shown by a red line with that text, is
// a fault of the surroundings (a db::DbEnvironmentError) rather than of the
// object the line names.
bool HandledEnvironmentFault(const std::string& lineText);

}  // namespace dravik::engine

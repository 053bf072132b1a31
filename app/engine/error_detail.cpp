#include "app/engine/error_detail.h"

#include "db/db_error.h"

namespace dravik::engine {

std::string ErrorDetail(const std::exception& error) {
    if (const auto* server = dynamic_cast<const db::DbServerError*>(&error)) return server->Statement();
    return {};
}

namespace {

// The error being handled when the line shows its message; null otherwise
// (a line written in a handler about something else).
template <typename Result>
Result FromHandledError(const std::string& lineText, Result (*read)(const std::exception&)) {
    const std::exception_ptr handled = std::current_exception();
    if (!handled) return {};
    try {
        std::rethrow_exception(handled);
    } catch (const std::exception& e) {
        const std::string message = e.what();
        if (!message.empty() && lineText.find(message) != std::string::npos) return read(e);
    } catch (...) {
    }
    return {};
}

bool EnvironmentFault(const std::exception& error) { return db::IsEnvironmentFault(error); }

}  // namespace

std::string HandledErrorDetail(const std::string& lineText) { return FromHandledError(lineText, &ErrorDetail); }

bool HandledEnvironmentFault(const std::string& lineText) { return FromHandledError(lineText, &EnvironmentFault); }

}  // namespace dravik::engine

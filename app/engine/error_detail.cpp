#include "app/engine/error_detail.h"

#include "db/db_error.h"

namespace dravik::engine {

std::string ErrorDetail(const std::exception& error) {
    if (const auto* server = dynamic_cast<const db::DbServerError*>(&error)) return server->Statement();
    return {};
}

namespace {

// True when a line shows the error's message: the line is about that error,
// not about something else written while it was handled.
bool Shows(const std::string& lineText, const std::exception& error) {
    const std::string message = error.what();
    return !message.empty() && lineText.find(message) != std::string::npos;
}

}  // namespace

std::string HandledErrorDetail(const std::string& lineText) {
    if (!std::current_exception()) return {};
    try {
        throw;
    } catch (const db::DbServerError& e) {
        if (Shows(lineText, e)) return e.Statement();
    } catch (...) {
    }
    return {};
}

bool HandledEnvironmentFault(const std::string& lineText) {
    if (!std::current_exception()) return false;
    try {
        throw;
    } catch (const db::DbEnvironmentError& e) {
        return Shows(lineText, e);
    } catch (...) {
    }
    return false;
}

}  // namespace dravik::engine

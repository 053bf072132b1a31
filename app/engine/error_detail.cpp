#include "app/engine/error_detail.h"

#include "db/db_error.h"

namespace dravik::engine {

std::string ErrorDetail(const std::exception& error) {
    if (const auto* server = dynamic_cast<const db::DbServerError*>(&error)) return server->Statement();
    return {};
}

std::string HandledErrorDetail(const std::string& lineText) {
    const std::exception_ptr handled = std::current_exception();
    if (!handled) return {};
    try {
        std::rethrow_exception(handled);
    } catch (const std::exception& e) {
        // A line written in a handler about something else keeps no detail.
        const std::string message = e.what();
        if (!message.empty() && lineText.find(message) != std::string::npos) return ErrorDetail(e);
    } catch (...) {
    }
    return {};
}

}  // namespace dravik::engine

#include "app/cli/compare_command.h"

#include "app/cli/cli_run.h"
#include "app/engine/stop_signals.h"
#include "db/db_connection.h"
#include "verify/compare.h"

#include <exception>
#include <string>

namespace dravik::cli {

namespace {

// Attaches a database as the clone would name it, with character set NONE
// so that texts compare as their stored bytes.
void Attach(db::DbConnection& connection, bool remote, const std::string& server, const std::string& path,
            const std::string& user, const std::string& password, int timeout) {
    connection.SetDatabaseName(remote ? server + ":" + path : path);
    connection.Params().push_back("USER_NAME=" + user);
    connection.Params().push_back("PASSWORD=" + password);
    connection.Params().push_back("LC_CTYPE=NONE");
    connection.Params().push_back("CONNECT_TIMEOUT=" + std::to_string(timeout));
    // Comparing writes nothing: no database trigger fires on the attachment.
    const engine::AttachWait wait;
    connection.ConnectWithoutDbTriggers(true);
}

int Unreadable(std::FILE* err, const std::string& which, const std::string& name, const std::exception& e) {
    std::fprintf(err, "dravik-clone: the %s database %s cannot be read: %s\n", which.c_str(), name.c_str(), e.what());
    return kExitFailed;
}

int Compare(const CliOptions& options, std::FILE* out, std::FILE* err) {
    const engine::JobSettings& s = options.settings;
    const std::string sourceName = (s.srcRemote ? s.srcServer + ":" : "") + s.srcPath;
    const std::string destinationName = (s.dstRemote ? s.dstServer + ":" : "") + s.dstPath;
    db::DbConnection source, destination;
    try {
        Attach(source, s.srcRemote, s.srcServer, s.srcPath, s.srcUser, s.srcPassword, s.connectTimeout);
    } catch (const std::exception& e) {
        return Unreadable(err, "source", sourceName, e);
    }
    try {
        Attach(destination, s.dstRemote, s.dstServer, s.dstPath, s.dstUser, s.dstPassword, s.connectTimeout);
    } catch (const std::exception& e) {
        return Unreadable(err, "destination", destinationName, e);
    }
    verify::Comparison comparison;
    try {
        comparison = verify::CompareDatabases(source, destination);
    } catch (const std::exception& e) {
        std::fprintf(err, "dravik-clone: the comparison could not be completed: %s\n", e.what());
        return kExitFailed;
    }
    const std::vector<std::string> differences = verify::DescribeDifferences(comparison, "source", "destination");
    for (const std::string& line : differences) std::fprintf(out, "%s\n", line.c_str());
    if (!differences.empty()) {
        std::fprintf(err, "dravik-clone: %zu difference%s\n", differences.size(), differences.size() == 1 ? "" : "s");
        return kExitErrors;
    }
    size_t items = 0;
    std::int64_t rows = 0;
    for (const verify::KindComparison& kind : comparison.kinds) items += kind.equal;
    for (const verify::TableRowsComparison& table : comparison.tables) rows += table.a.rows;
    std::fprintf(out, "equal: %zu catalogue items, %zu tables, %lld rows\n", items, comparison.tables.size(),
                 static_cast<long long>(rows));
    return kExitClean;
}

}  // namespace

int RunCompare(const CliOptions& options, std::FILE* out, std::FILE* err) {
    try {
        return Compare(options, out, err);
    } catch (const std::exception& e) {  // the client library could not be loaded
        std::fprintf(err, "dravik-clone: %s\n", e.what());
        return kExitFailed;
    }
}

}  // namespace dravik::cli

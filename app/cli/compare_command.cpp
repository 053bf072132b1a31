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
    connection.SetDatabaseName(engine::DatabaseName(remote, server, path));
    connection.Params().push_back("USER_NAME=" + user);
    connection.Params().push_back("PASSWORD=" + password);
    connection.Params().push_back("LC_CTYPE=NONE");
    connection.Params().push_back("CONNECT_TIMEOUT=" + std::to_string(timeout));
    // Comparing writes nothing: no database trigger fires on the attachment.
    const engine::AttachWait wait;
    connection.ConnectWithoutDbTriggers(true);
}

int Unreadable(std::FILE* err, const std::string& which, const std::string& name, const std::exception& e,
               RunRecord& record) {
    record.outcome = "unreadable";
    record.message = "the " + which + " database " + name + " cannot be read: " + e.what();
    std::fprintf(err, "dravik-clone: the %s database %s cannot be read: %s\n", which.c_str(), name.c_str(), e.what());
    return kExitFailed;
}

int Compare(const CliOptions& options, std::FILE* out, std::FILE* err, RunRecord& record, std::FILE* log) {
    const auto print = [&](const std::string& line) {
        for (std::FILE* stream : {out, log})
            if (stream) std::fprintf(stream, "%s\n", line.c_str());
    };
    const engine::JobSettings& s = options.settings;
    const std::string sourceName = engine::DatabaseName(s.srcRemote, s.srcServer, s.srcPath);
    const std::string destinationName = engine::DatabaseName(s.dstRemote, s.dstServer, s.dstPath);
    db::DbConnection source, destination;
    try {
        Attach(source, s.srcRemote, s.srcServer, s.srcPath, s.srcUser, s.srcPassword, s.connectTimeout);
    } catch (const std::exception& e) {
        return Unreadable(err, "source", sourceName, e, record);
    }
    try {
        Attach(destination, s.dstRemote, s.dstServer, s.dstPath, s.dstUser, s.dstPassword, s.connectTimeout);
    } catch (const std::exception& e) {
        return Unreadable(err, "destination", destinationName, e, record);
    }
    verify::Comparison comparison;
    try {
        comparison = verify::CompareDatabases(source, destination);
    } catch (const std::exception& e) {
        std::fprintf(err, "dravik-clone: the comparison could not be completed: %s\n", e.what());
        record.message = e.what();
        return kExitFailed;
    }
    record.comparison = comparison;
    const std::vector<std::string> differences = verify::DescribeDifferences(comparison, "source", "destination");
    for (const std::string& line : differences) print(line);
    record.outcome = differences.empty() ? "equal" : "different";
    if (!differences.empty()) {
        std::fprintf(err, "dravik-clone: %zu difference%s\n", differences.size(), differences.size() == 1 ? "" : "s");
        return kExitErrors;
    }
    size_t items = 0;
    std::int64_t rows = 0;
    for (const verify::KindComparison& kind : comparison.kinds) items += kind.equal;
    for (const verify::TableRowsComparison& table : comparison.tables) rows += table.a.rows;
    print("equal: " + std::to_string(items) + " catalogue items, " + std::to_string(comparison.tables.size()) +
          " tables, " + std::to_string(rows) + " rows");
    return kExitClean;
}

}  // namespace

int RunCompare(const CliOptions& options, std::FILE* out, std::FILE* err, RunRecord& record, std::FILE* log) {
    try {
        return Compare(options, out, err, record, log);
    } catch (const std::exception& e) {  // the client library could not be loaded
        std::fprintf(err, "dravik-clone: %s\n", e.what());
        record.message = e.what();
        return kExitFailed;
    }
}

}  // namespace dravik::cli

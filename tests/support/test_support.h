// Helpers shared by the test programs: temporary folders, real databases made
// through the embedded engine, isql-fb, and the local server on 127.0.0.1.
#pragma once

#include "db/db_connection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dravik::test {

inline constexpr const char* kUser = "SYSDBA";
inline constexpr const char* kPassword = "corbelfin";

// A folder under /tmp removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Creates a database through the layer (embedded for a local path).
void CreateDatabase(const std::string& name, const std::string& charset = "NONE", int pageSize = 4096,
                    int dialect = 3);

// Attaches a connection with the test credentials and a code page.
void Attach(db::DbConnection& connection, const std::string& name, const std::string& charset = "NONE");

// Runs SQL through isql-fb (script given on stdin); returns its output.
// Fails the test when isql reports an error, unless allowErrors is set.
std::string Isql(const std::string& database, const std::string& script, bool allowErrors = false,
                 const std::string& charset = "");

// Runs an SQL script file through isql-fb on the database (stopping at the
// first error); throws with isql's output when it fails.
void RunIsqlScript(const std::string& database, const std::string& sqlFile, const std::string& charset = "");

// Copies a database the way Firebird itself does, as the reference for a
// faithful clone: gbak -b SOURCE stdout | gbak -c stdin DESTINATION. Throws
// with gbak's output when either side fails.
void GbakClone(const std::string& source, const std::string& destination);

// Executes one statement on a fresh attachment and commits.
void Exec(const std::string& database, const std::string& sql, const std::string& charset = "NONE");

// First column of every row of a select, as text (trailing blanks trimmed).
std::vector<std::string> Column(const std::string& database, const std::string& sql,
                                const std::string& charset = "NONE");
std::string Scalar(const std::string& database, const std::string& sql, const std::string& charset = "NONE");

// Runs a shell command, returns its exit status and fills output (stdout and stderr).
int RunCommand(const std::string& command, std::string* output = nullptr);

// True when the Firebird server answers on 127.0.0.1:3050.
bool ServerRunning();
// Skips the current test with a clear message when no server runs; in CI
// (CI set in the environment) a missing server is a failure instead.
#define DRAVIK_REQUIRE_SERVER()                                                               \
    do {                                                                                      \
        if (!::dravik::test::ServerRunning()) {                                               \
            if (std::getenv("CI")) FAIL() << "no Firebird server on 127.0.0.1:3050 in CI";    \
            GTEST_SKIP() << "no Firebird server on 127.0.0.1:3050 (run scripts/start-server.sh)"; \
        }                                                                                     \
    } while (0)

// The file a server-side test may use: the server runs as root here, so a
// path in a TempDir is reachable as "localhost:" + path.
std::string Remote(const std::string& path);

}  // namespace dravik::test

// The two error kinds of the access layer. Callers catch DbError and print
// its message; the texts are fixed because the run log shows them verbatim.
#pragma once

#include <ibase.h>

#include <stdexcept>
#include <string>
#include <utility>

namespace dravik::db {

class DbError : public std::runtime_error {
public:
    explicit DbError(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A failure reported by the server or the client library through a status
// vector. The text of the statement that failed travels beside the message,
// never in it: the message is what the run log shows on the red line, the
// statement is what a verbose run shows under it.
class DbServerError : public DbError {
public:
    DbServerError(const std::string& message, int sqlCode, int ibErrorCode, std::string statement = {})
        : DbError(message), sqlCode_(sqlCode), ibErrorCode_(ibErrorCode), statement_(std::move(statement)) {}
    int SQLCode() const { return sqlCode_; }
    int IBErrorCode() const { return ibErrorCode_; }
    // The statement being prepared or executed; empty when the failure
    // belongs to no statement (attach, commit, blob).
    const std::string& Statement() const { return statement_; }

private:
    int sqlCode_;
    int ibErrorCode_;
    std::string statement_;
};

// A status that names a fault of the surroundings rather than of the
// statement or its values: I/O (a full disk among them), a lost or refused
// connection, a shutdown, a lock conflict, an internal error. Another
// statement or row would fail the same way, so callers that go on after a
// DbServerError let this one pass.
class DbEnvironmentError : public DbServerError {
public:
    using DbServerError::DbServerError;
};

// Raises the failure a status vector reports: every message on its own line
// (CR LF between them), one final "." removed; a DbEnvironmentError when one
// of its codes names a fault of the surroundings, else a DbServerError.
[[noreturn]] void ThrowStatus(const ISC_STATUS* status, const std::string& statement = {});

// A failure detected by the layer itself, with one of the fixed texts below.
class DbClientError : public DbError {
public:
    enum Number {
        kLibraryMissing = 1,
        kDatabaseOpen,
        kDatabaseClosed,
        kDatabaseNameMissing,
        kTransactionNotActive,
        kTransactionActive,
        kDialectInvalid,
        kEmptyQuery,
        kCancelled,
        kNotVersion6,
        kFieldNotFound,
        kNotInteger,
        kFieldMustHaveValue,
        kUnsupportedType,
        kEntryPointMissing,
        kNoPendingRow,
        kNotATable,
        kUnknownParameter,
        kParameterNotFlag,
        kParameterTooLong,
        kArrayShapeDiffers,
        kParameterCount,
        kParameterNotNumber,
    };

    DbClientError(const std::string& message, int number) : DbError(message), number_(number) {}
    int ErrorNumber() const { return number_; }

    // The fixed text of a number, with %s replaced by the argument.
    static DbClientError Format(Number number, const std::string& argument = {});
    static const char* Text(Number number);

private:
    int number_;
};

// Raises the status vector's failure (see ThrowStatus) when it reports one,
// naming the statement it belongs to when there is one.
void CheckStatus(const ISC_STATUS* status, const std::string& statement = {});

// True when the status vector reports a failure.
inline bool Failed(const ISC_STATUS* status) { return status[0] == 1 && status[1] != 0; }

}  // namespace dravik::db

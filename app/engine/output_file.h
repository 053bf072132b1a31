// The rules for a file the program writes beside the databases (the run
// log, the report): it may never be, under any spelling, a database the job reads or
// writes, nor any existing Firebird database.
#pragma once

#include <string>
#include <vector>

namespace dravik::engine {

// True when the file is a regular file and its first page is a Firebird database's
// header page (page type 1, an on-disk structure version with Firebird's flag).
bool IsFirebirdDatabaseFile(const std::string& path);

// Why `file` may not be opened for writing as `role` (e.g. "the log file"):
// it names one of `databases` (database names as the job takes them, local or
// SERVER:PATH, spelt any way that reaches the same file of this machine), or
// it is an existing Firebird database. Empty when it may be written.
std::string RefusedOutputFile(const std::string& role, const std::string& file,
                              const std::vector<std::string>& databases);

}  // namespace dravik::engine

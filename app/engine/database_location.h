// Where a database name points, so that one file spelt two ways ("./a.fdb",
// a symbolic link, "localhost:/abs/a.fdb") is recognised as one database.
#pragma once

#include <string>

namespace dravik::engine {

struct DatabaseLocation {
    // True when the name reaches a file of this machine: a plain path, or an
    // absolute path behind a server name of this machine ("localhost:",
    // "127.1:", "127.0.0.1/3050:", its own host name).
    bool local = false;
    // The server part of a name that is not local, lower case; empty when local.
    std::string host;
    // The absolute path of a local file; the path as written otherwise.
    std::string path;
};

// Splits a database name ("path", "server:path", "server/port:path") into
// its location. A relative local path is taken from the current folder, as
// the embedded engine does.
DatabaseLocation LocateDatabase(const std::string& name);

// True when two database names reach the same database file: for two local
// files the same file identity (device and inode) when both exist, else the
// same path once links, "." and ".." are resolved; for two remote names the
// same server and the same normalised path.
bool SameDatabaseFile(const std::string& first, const std::string& second);

// True when the name is a plain path of this machine (no server part, and a
// "/" in it, so no alias either) where no file is: nothing could attach it,
// and trying would have the client library ask a local server too.
bool NoFileAtLocalPath(const std::string& name);

// True when two local paths are one file: the same device and inode when
// both exist, else the same path once links, "." and ".." are resolved.
bool SameLocalFile(const std::string& first, const std::string& second);

}  // namespace dravik::engine

#include "app/engine/database_location.h"

#include <arpa/inet.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace dravik::engine {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A server name that is this machine: "localhost", this machine's own host
// name, the IPv6 loopback, or any IPv4 address of 127.0.0.0/8 in the forms
// the resolver takes ("127.1", "127.0.0.1").
bool IsLoopback(std::string host) {
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (host == "localhost" || host == "::1") return true;
    if (in_addr address{}; inet_aton(host.c_str(), &address) != 0) return (ntohl(address.s_addr) >> 24) == 127;
    char own[256] = {};
    return gethostname(own, sizeof own - 1) == 0 && host == Lower(own);
}

std::string AbsoluteLocalPath(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.string();
}

// Firebird's URL form, "inet://host[:port]/path" (inet4, inet6 too), where an
// absolute path gives a second slash: "inet://localhost//data/a.fdb".
bool LocateUrl(const std::string& name, DatabaseLocation& location) {
    const size_t scheme = name.find("://");
    if (scheme == std::string::npos) return false;
    const std::string protocol = Lower(name.substr(0, scheme));
    if (protocol != "inet" && protocol != "inet4" && protocol != "inet6") return false;
    const std::string rest = name.substr(scheme + 3);
    const size_t slash = rest.find('/');
    std::string host = Lower(rest.substr(0, slash));
    if (const size_t port = host.find(':'); port != std::string::npos) host.resize(port);
    const std::string path = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    if (IsLoopback(host) && !path.empty() && path[0] == '/')
        location = {true, "", path};
    else
        location = {false, host, path};
    return true;
}

}  // namespace

DatabaseLocation LocateDatabase(const std::string& name) {
    if (DatabaseLocation url; LocateUrl(name, url)) return url;
    const size_t colon = name.find(':');
    // No server part: no colon, or what precedes it is itself a path.
    if (colon == std::string::npos || colon == 0 || name[0] == '/' || name[0] == '.')
        return {true, "", AbsoluteLocalPath(name)};

    std::string host = Lower(name.substr(0, colon));
    const size_t port = host.find('/');
    if (port != std::string::npos) host.resize(port);
    const std::string path = name.substr(colon + 1);
    // A relative path on a server is resolved by the server (or is an alias):
    // only an absolute one is known to be a file of this machine.
    if (IsLoopback(host) && !path.empty() && path[0] == '/') return {true, "", path};
    return {false, host, path};
}

bool NoFileAtLocalPath(const std::string& name) {
    const size_t colon = name.find(':');
    const bool plainPath = colon == std::string::npos || name[0] == '/' || name[0] == '.';
    if (!plainPath || name.find('/') == std::string::npos) return false;
    struct stat st {};
    return stat(AbsoluteLocalPath(name).c_str(), &st) != 0 && errno == ENOENT;
}

bool SameLocalFile(const std::string& first, const std::string& second) {
    struct stat sa {}, sb {};
    if (stat(first.c_str(), &sa) == 0 && stat(second.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code ea, eb;
    const fs::path ca = fs::weakly_canonical(AbsoluteLocalPath(first), ea);
    const fs::path cb = fs::weakly_canonical(AbsoluteLocalPath(second), eb);
    if (ea || eb) return fs::path(first).lexically_normal() == fs::path(second).lexically_normal();
    return ca == cb;
}

bool SameDatabaseFile(const std::string& first, const std::string& second) {
    const DatabaseLocation a = LocateDatabase(first);
    const DatabaseLocation b = LocateDatabase(second);
    if (a.local != b.local) return false;
    if (!a.local) return a.host == b.host && fs::path(a.path).lexically_normal() == fs::path(b.path).lexically_normal();
    return SameLocalFile(a.path, b.path);
}

}  // namespace dravik::engine

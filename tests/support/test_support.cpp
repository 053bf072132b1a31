#include "support/test_support.h"

#include "db/db_query.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace dravik::test {

TempDir::TempDir() {
    char pattern[] = "/tmp/dravik-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) throw std::runtime_error("cannot make a temporary folder");
    path_ = made;
    std::filesystem::permissions(path_, std::filesystem::perms::all);  // the server must reach it
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void CreateDatabase(const std::string& name, const std::string& charset, int pageSize, int dialect) {
    db::DbConnection c;
    c.SetDatabaseName(name);
    c.CreateClauses() = {"USER '" + std::string(kUser) + "'", "PASSWORD '" + std::string(kPassword) + "'",
                         "PAGE_SIZE " + std::to_string(pageSize), "DEFAULT CHARACTER SET " + charset};
    c.SetSQLDialect(dialect);
    c.CreateDatabase();
    c.Disconnect();
}

void Attach(db::DbConnection& connection, const std::string& name, const std::string& charset) {
    connection.SetDatabaseName(name);
    connection.Params().push_back(std::string("USER_NAME=") + kUser);
    connection.Params().push_back(std::string("PASSWORD=") + kPassword);
    connection.Params().push_back("LC_CTYPE=" + charset);
    connection.Connect();
}

int RunCommand(const std::string& command, std::string* output) {
    std::string text;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    std::array<char, 4096> buffer;
    size_t got;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) text.append(buffer.data(), got);
    const int status = pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string Isql(const std::string& database, const std::string& script, bool allowErrors,
                 const std::string& charset) {
    TempDir dir;
    const std::string file = dir.File("script.sql");
    std::ofstream(file) << script;
    std::string command = "isql-fb -q -bail -user " + std::string(kUser) + " -password " + kPassword;
    if (!charset.empty()) command += " -ch " + charset;
    if (allowErrors) command = "isql-fb -q -user " + std::string(kUser) + " -password " + kPassword +
                               (charset.empty() ? "" : " -ch " + charset);
    command += " '" + database + "' -i '" + file + "'";
    std::string output;
    const int status = RunCommand(command, &output);
    if (!allowErrors) {
        EXPECT_EQ(status, 0) << "isql failed on " << database << ":\n" << output;
    }
    return output;
}

namespace {

// The text as one shell word.
std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string Credentials() { return std::string(" -user ") + kUser + " -password " + kPassword + " "; }

}  // namespace

void RunIsqlScript(const std::string& database, const std::string& sqlFile, const std::string& charset) {
    std::string command = "isql-fb -q -bail" + Credentials();
    if (!charset.empty()) command += "-ch " + charset + " ";
    command += ShellQuoted(database) + " -i " + ShellQuoted(sqlFile);
    std::string output;
    if (RunCommand(command, &output) != 0)
        throw std::runtime_error("isql failed on " + sqlFile + " into " + database + ":\n" + output);
}

void GbakClone(const std::string& source, const std::string& destination) {
    const std::string pipeline = "gbak -b" + Credentials() + ShellQuoted(source) + " stdout | gbak -c" +
                                 Credentials() + "stdin " + ShellQuoted(destination);
    std::string output;
    if (RunCommand("bash -o pipefail -c " + ShellQuoted(pipeline), &output) != 0)
        throw std::runtime_error("gbak clone of " + source + " into " + destination + " failed:\n" + output);
}

void Exec(const std::string& database, const std::string& sql, const std::string& charset) {
    db::DbConnection c;
    Attach(c, database, charset);
    c.DefaultTransaction().StartTransaction();
    db::DbStatement s(c, sql);
    s.ExecQuery();
    c.DefaultTransaction().Commit();
    c.Disconnect();
}

std::vector<std::string> Column(const std::string& database, const std::string& sql, const std::string& charset) {
    db::DbConnection c;
    Attach(c, database, charset);
    std::vector<std::string> values;
    {
        db::DbQuery q(c, sql);
        q.Open();
        for (; !q.Eof(); q.Next()) {
            std::string v = q.Fields(0).AsString();
            while (!v.empty() && v.back() == ' ') v.pop_back();
            values.push_back(v);
        }
    }
    if (c.DefaultTransaction().InTransaction()) c.DefaultTransaction().Commit();
    c.Disconnect();
    return values;
}

std::string Scalar(const std::string& database, const std::string& sql, const std::string& charset) {
    const auto values = Column(database, sql, charset);
    return values.empty() ? std::string() : values.front();
}

bool ServerRunning() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(3050);
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

std::string Remote(const std::string& path) { return "localhost:" + path; }

}  // namespace dravik::test

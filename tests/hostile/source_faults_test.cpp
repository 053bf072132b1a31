// A source that cannot be read: no name, a missing file, a file that is no
// database, a wrong password, an unknown user, a server that does not
// answer or never answers, a database another process holds. Each is reported with the
// server's own text, ends dravik-clone with status 2 before anything is
// created, and leaves the source and an existing destination as they were.
#include "engine/engine_bench.h"
#include "hostile/hostile_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

namespace dravik::test {
namespace {

class SourceFaults : public HostileTest {
protected:
    // Runs dravik-clone on a source that cannot be read, over an existing
    // destination; checks status 2, the text on stderr, the destination kept.
    Outcome RunRefused(const std::string& name, const std::vector<std::string>& args, const std::string& text) {
        std::remove(dst.c_str());
        MakeExisting(dst);
        const Outcome run = RunCloneWithin(args);
        ExpectReport(name, run, 2);
        EXPECT_NE(run.err.find(text), std::string::npos) << name << ": stderr lacks \"" << text << "\"\n" << run.err;
        EXPECT_EQ(run.err.find("Segmentation"), std::string::npos) << run.err;
        EXPECT_TRUE(StillThere(dst)) << name << ": the existing destination was touched";
        return run;
    }

    // The connection test of the source page on the same name: false, with
    // "Not connected: \n" and the text.
    void ExpectConnectionTestFails(const std::string& name, engine::JobSettings settings, const std::string& text) {
        JobBench bench;
        bench.job.settings = settings;
        EXPECT_FALSE(bench.job.TestSourceConnection()) << name;
        ASSERT_FALSE(bench.ui.messages.empty()) << name;
        const std::string& shown = bench.ui.messages.back();
        EXPECT_EQ(shown.rfind("Not connected: \n", 0), 0u) << name << ": " << shown;
        EXPECT_NE(shown.find(text), std::string::npos) << name << ": " << shown;
        EXPECT_FALSE(bench.job.srcDb.Connected()) << name;
    }
};

TEST_F(SourceFaults, EmptyOrBlankNameIsRefusedBeforeAnyAttempt) {
    const Outcome empty = RunRefused("source: empty path", {"", dst}, "dravik-clone: the source database path is empty");
    EXPECT_NE(empty.err.find("Try 'dravik-clone --help'"), std::string::npos);
    EXPECT_EQ(empty.out, "");

    // Blanks are a name to the command line; the job trims them away and
    // says so with the message of the source page, then the layer's error.
    const Outcome blank = RunRefused("source: blank path", {"   ", dst}, "message: No database file defined\n");
    EXPECT_NE(blank.err.find("dravik-clone: Database name is missing"), std::string::npos) << blank.err;

    engine::JobSettings settings;
    settings.srcPath = "  ";
    JobBench bench;
    bench.job.settings = settings;
    EXPECT_FALSE(bench.job.TestSourceConnection());
    EXPECT_EQ(bench.ui.messages,
              (std::vector<std::string>{"No database file defined", "Not connected: \nDatabase name is missing"}));
}

TEST_F(SourceFaults, MissingFileIsNeitherCreatedNorReplacedByAnything) {
    const std::string missing = dir.File("missing.fdb");
    RunRefused("source: missing file", {missing, dst}, "I/O error during \"open\" operation for file \"" + missing + "\"");
    EXPECT_FALSE(FileExists(missing));

    engine::JobSettings settings;
    settings.srcPath = missing;
    ExpectConnectionTestFails("connection test: missing file", settings, "No such file or directory");
    EXPECT_FALSE(FileExists(missing));
}

TEST_F(SourceFaults, FileThatIsNoDatabaseKeepsEveryByte) {
    // Random bytes the size of a few pages, a short text, and an empty file.
    const std::string noise = dir.File("noise.fdb"), text = dir.File("notes.fdb"), empty = dir.File("empty.fdb");
    std::mt19937 random(6);
    std::string bytes(20000, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    std::ofstream(noise, std::ios::binary) << bytes;
    std::ofstream(text) << "this is not a database\n";
    std::ofstream(empty).close();

    for (const auto& [file, said] : {std::pair<std::string, std::string>{noise, "is not a valid database"},
                                     {text, "\"" + text + "\""},
                                     {empty, "\"" + empty + "\""}}) {
        const std::string before = FileBytes(file);
        RunRefused("source: not a database (" + file.substr(dir.Path().size() + 1) + ")", {file, dst}, said);
        EXPECT_EQ(FileBytes(file), before) << file << " was written to";
    }
    engine::JobSettings settings;
    settings.srcPath = noise;
    ExpectConnectionTestFails("connection test: not a database", settings, "is not a valid database");
    EXPECT_EQ(FileBytes(noise), bytes);
}

TEST_F(SourceFaults, WrongPasswordAndUnknownUserGiveTheServersText) {
    DRAVIK_REQUIRE_SERVER();
    MakeSource();
    const Snapshot before = TakeSnapshot(src);
    const std::string refused = "Your user name and password are not defined";
    RunRefused("source: wrong password", {"-p", "not-the-password", Remote(src), dst}, refused);
    RunRefused("source: unknown user", {"-u", "NOBODY_HERE", Remote(src), dst}, refused);
    ExpectUnchanged("source: wrong password, unknown user", src, before);

    engine::JobSettings settings;
    settings.srcRemote = true;
    settings.srcServer = "localhost";
    settings.srcPath = src;
    settings.srcPassword = "not-the-password";
    ExpectConnectionTestFails("connection test: wrong password", settings, refused);
    settings.srcPassword = kPassword;
    settings.srcUser = "NOBODY_HERE";
    ExpectConnectionTestFails("connection test: unknown user", settings, refused);
}

TEST_F(SourceFaults, ServerThatDoesNotAnswerIsReportedAtOnce) {
    MakeSource();
    const Snapshot before = TakeSnapshot(src);
    // Nothing listens on port 3099 of this machine.
    const std::string name = "127.0.0.1/3099:" + src;
    const Outcome run = RunRefused("source: closed port", {name, dst},
                                   "Unable to complete network request to host \"127.0.0.1\"");
    EXPECT_LT(run.seconds, 30) << "a refused connection took too long";
    ExpectUnchanged("source: closed port", src, before);

    engine::JobSettings settings;
    settings.srcRemote = true;
    settings.srcServer = "127.0.0.1/3099";
    settings.srcPath = src;
    ExpectConnectionTestFails("connection test: closed port", settings, "Unable to complete network request");
}

// A listener that takes the connection and never answers: the attach gives
// up after --connect-timeout, and a SIGTERM during the wait ends it at once.
TEST_F(SourceFaults, ServerThatNeverAnswersEndsWithinTheTimeoutOrOnSigterm) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(listen(listener, 8), 0);  // the kernel completes the handshakes; nobody answers
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string silent = "127.0.0.1/" + std::to_string(ntohs(address.sin_port)) + ":/x.fdb";

    const Outcome timedOut = RunCloneWithin({"--list", silent, "--connect-timeout", "2"}, 30);
    ExpectReport("source: a server that never answers", timedOut, 2);
    EXPECT_LT(timedOut.seconds, 6) << timedOut.err;

    RunningClone waiting({"--list", silent, "--connect-timeout", "60"});
    std::this_thread::sleep_for(std::chrono::seconds(1));
    waiting.Signal(SIGTERM);
    const Outcome stopped = waiting.Finish(10);
    ExpectReport("source: SIGTERM while waiting for the server", stopped, 130);
    EXPECT_LT(stopped.seconds, 5);
    close(listener);
}

// Firebird 3 keeps a database file exclusive to the engine instance (one
// process, or the server) that opened it: another process is refused at
// once rather than left waiting for a lock. When the server is the holder,
// the client library falls back to its loopback provider and reaches the
// file through the server instead, so the clone simply works.
TEST_F(SourceFaults, DatabaseHeldByAnotherProcessIsRefusedWithoutWaiting) {
    MakeSource();
    const Snapshot before = TakeSnapshot(src);
    const std::string incompatible = "Database already opened with engine instance, incompatible with current";
    {
        AttachedElsewhere holder(src);  // isql-fb through its own embedded engine
        ASSERT_TRUE(holder.Ready());
        const Outcome run = RunRefused("source: held by an embedded isql-fb", {src, dst}, incompatible);
        EXPECT_LT(run.seconds, 30);
        engine::JobSettings settings;
        settings.srcPath = src;
        ExpectConnectionTestFails("connection test: held by another process", settings, incompatible);
        if (ServerRunning()) {
            // Through the server: the server is refused the same way.
            RunRefused("source: held, asked through the server", {Remote(src), dst}, incompatible);
        }
    }
    ExpectUnchanged("source: held by an embedded isql-fb", src, before);
}

TEST_F(SourceFaults, DatabaseHeldByTheServerIsReadThroughTheServer) {
    DRAVIK_REQUIRE_SERVER();
    MakeSource();
    const Snapshot before = TakeSnapshot(src);
    {
        AttachedElsewhere holder(Remote(src));
        ASSERT_TRUE(holder.Ready());
        const Outcome run = RunCloneWithin({src, dst});
        ExpectReport("source: held by the server", run, 0);
        EXPECT_TRUE(HasLine(run.out, "Database copy: complete")) << run.out;
    }
    ExpectRows("source: held by the server", dst, "CUSTOMER", 40);
    ExpectRows("source: held by the server", dst, "ORDERS", 3);
    ExpectUnchanged("source: held by the server", src, before);
}

}  // namespace
}  // namespace dravik::test

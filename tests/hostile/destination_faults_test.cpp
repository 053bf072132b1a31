// A destination that must not or cannot be made: the source itself under
// every spelling, an existing file without "replace", an existing file that
// is no database, a folder that cannot be written, a page size or character
// set the server does not know; and a run log that would overwrite a
// database. Each ends dravik-clone with status 2 and a clear line, and the
// source (and whatever existed) stays as it was.
#include "engine/engine_bench.h"
#include "hostile/hostile_fixture.h"


#include <filesystem>
#include <fstream>

namespace dravik::test {
namespace {

const char* const kSameMessage = "message: The source and the destination databases\ncan NOT be the same\n";

// A job that ended early leaves its connections open: close them before
// another process (isql-fb) opens the files.
void CloseConnections(JobBench& bench) {
    engine::CommitAndDisconnect(bench.job.srcDb);
    engine::CommitAndDisconnect(bench.job.dstDb);
}

class DestinationFaults : public HostileTest {
protected:
    void SetUp() override {
        MakeSource();
        before = TakeSnapshot(src);
    }
    // Runs a clone that must fail with status 2 before its first object.
    Outcome RunFailed(const std::string& name, const std::vector<std::string>& args, const std::string& workDir = "") {
        const Outcome run = RunCloneWithin(args, 90, workDir);
        ExpectReport(name, run, 2);
        EXPECT_FALSE(HasLineStarting(run.out, "CREATE TABLE")) << name << "\n" << run.out;
        EXPECT_FALSE(HasLine(run.out, "Database copy: complete")) << name;
        return run;
    }
    Snapshot before;
};

TEST_F(DestinationFaults, TheSourceUnderEverySpellingIsRefusedAndKept) {
    namespace fs = std::filesystem;
    fs::create_directory(dir.File("sub"));
    fs::create_symlink(src, dir.File("link.fdb"));
    fs::create_directory_symlink(dir.Path(), dir.File("linked-folder"));
    fs::create_hard_link(src, dir.File("hard.fdb"));
    struct Spelling {
        std::string what, source, destination, workDir;
    };
    const std::vector<Spelling> spellings = {
        {"same name", src, src, ""},
        {"relative path", src, "source.fdb", dir.Path()},
        {"./ path", src, "./source.fdb", dir.Path()},
        {"path through ..", src, dir.File("sub/../source.fdb"), ""},
        {"doubled slashes", src, dir.Path() + "//source.fdb", ""},
        {"symbolic link", src, dir.File("link.fdb"), ""},
        {"hard link", src, dir.File("hard.fdb"), ""},
        {"localhost: path", src, "localhost:" + src, ""},
        {"127.0.0.1/3050: path", src, "127.0.0.1/3050:" + src, ""},
        {"LOCALHOST: in capitals", src, "LOCALHOST:" + src, ""},
        {"127.1: path", src, "127.1:" + src, ""},
        {"inet:// URL", src, "inet://localhost/" + src, ""},
        {"server source, local destination", Remote(src), src, ""},
        {"server source, linked destination", Remote(src), dir.File("link.fdb"), ""},
        {"server source, 127.1: destination", Remote(src), "127.1:" + src, ""},
        {"server source, destination through a linked folder on the server", Remote(src),
         "127.0.0.1:" + dir.File("linked-folder/source.fdb"), ""},
    };
    for (const Spelling& s : spellings) {
        if (s.source != src && !ServerRunning()) continue;
        for (const bool replace : {true, false}) {
            const std::string name = "destination is the source: " + s.what + (replace ? "" : ", --no-replace");
            std::vector<std::string> args = {s.source, s.destination};
            if (!replace) args.insert(args.begin(), "--no-replace");
            const Outcome run = RunFailed(name, args, s.workDir);
            EXPECT_NE(run.err.find(kSameMessage), std::string::npos) << name << "\n" << run.err;
            EXPECT_TRUE(HasLine(run.out, "DB " + s.destination + ": is the source database: nothing was dropped or created"))
                << name << "\n" << run.out;
            // Nothing is tried on a refused destination, so nothing else fails.
            EXPECT_FALSE(HasLineStarting(run.out, "Fatal error")) << name << "\n" << run.out;
            EXPECT_EQ(run.out.find("drop canceled"), std::string::npos) << name << "\n" << run.out;
            ExpectUnchanged(name, src, before);
        }
    }
}

// What the name check cannot see (a server's alias, another name of this
// machine) the attachments show: the source's own attachment is among those
// of a destination that is the source.
TEST_F(DestinationFaults, AttachmentsToOneDatabaseAreKnownWhateverItsName) {
    MakeExisting(dst);
    std::filesystem::create_symlink(src, dir.File("link.fdb"));
    db::DbConnection source, sameFile, other;
    Attach(source, src);
    Attach(sameFile, dir.File("link.fdb"));
    Attach(other, dst);
    EXPECT_TRUE(engine::SameAttachedDatabase(source, sameFile));
    EXPECT_FALSE(engine::SameAttachedDatabase(source, other));
    for (db::DbConnection* c : {&source, &sameFile, &other}) engine::CommitAndDisconnect(*c);
    ExpectUnchanged("attachments compared", src, before);
}

// A run log is checked with the other arguments: one that would overwrite
// the source, the destination (with or without --no-replace) or any other
// database is refused before anything is opened; one that cannot be written
// is an error at the end, not silence.
TEST_F(DestinationFaults, RunLogThatWouldOverwriteADatabaseIsRefused) {
    namespace fs = std::filesystem;
    MakeExisting(dst);
    const std::string other = dir.File("other.fdb"), fresh = dir.File("fresh.fdb");
    MakeExisting(other);
    fs::create_symlink(src, dir.File("link.fdb"));
    const std::string otherBytes = FileBytes(other);
    struct Slip {
        std::string what;
        std::vector<std::string> args;
        std::string workDir;
    };
    std::vector<Slip> slips = {
        {"the source", {"--log", src, src, fresh}, ""},
        {"the source, relative", {"--log", "./source.fdb", src, fresh}, dir.Path()},
        {"the source through a link", {"--log", dir.File("link.fdb"), src, fresh}, ""},
        {"the source, --list", {"--list", "--log", src, src}, ""},
        {"the source, --compare", {"--compare", "--log", src, src, dst}, ""},
        {"the destination", {"--log", dst, src, dst}, ""},
        {"the destination, --no-replace", {"--no-replace", "--log", dst, src, dst}, ""},
        {"a destination still to be made", {"--log", fresh, src, fresh}, ""},
        {"another database", {"--log", other, src, fresh}, ""},
    };
    if (ServerRunning()) slips.push_back({"the source named through the server", {"--log", src, "127.1:" + src, fresh}, ""});
    for (const Slip& slip : slips) {
        const std::string name = "run log is " + slip.what;
        const Outcome run = RunCloneWithin(slip.args, 90, slip.workDir);
        ExpectReport(name, run, 2);
        EXPECT_NE(run.err.find("dravik-clone: the log file '"), std::string::npos) << name << "\n" << run.err;
        EXPECT_EQ(run.out, "") << name;
        EXPECT_FALSE(FileExists(fresh)) << name;
        EXPECT_TRUE(StillThere(dst)) << name;
        ExpectUnchanged(name, src, before);
    }
    EXPECT_EQ(FileBytes(other), otherBytes);

    // A log that cannot take the run: the clone is made, the run says so.
    const Outcome full = RunCloneWithin({"--log", "/dev/full", src, fresh});
    ExpectReport("run log on a full disk", full, 1);
    EXPECT_NE(full.err.find("dravik-clone: the log file '/dev/full' could not be written"), std::string::npos)
        << full.err;
    EXPECT_TRUE(HasLine(full.out, "Database copy: complete")) << full.out;

    // --compare and --list write their lines to the log as well.
    const std::string log = dir.File("run.log");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--compare", "--log", log, src, fresh},
                                                std::vector<std::string>{"--list", "--log", log, src}}) {
        const Outcome run = RunCloneWithin(args);
        ExpectReport(args[0] + " with a run log", run, 0);
        EXPECT_NE(run.out, "");
        EXPECT_EQ(FileBytes(log), run.out) << args[0];
    }
    ExpectUnchanged("run log checks", src, before);
}

TEST_F(DestinationFaults, ExistingDatabaseWithoutReplaceIsKept) {
    MakeExisting(dst);
    const Outcome run = RunFailed("destination exists, --no-replace", {"--no-replace", src, dst});
    EXPECT_TRUE(HasLine(run.out, "Fatal error: DB " + dst +
                                     " was not created. Choise other target database or remove database locks"))
        << run.out;
    EXPECT_NE(run.out.find("File exists"), std::string::npos) << run.out;
    EXPECT_TRUE(StillThere(dst));
    ExpectUnchanged("destination exists, --no-replace", src, before);
}

TEST_F(DestinationFaults, ExistingFileThatIsNoDatabaseIsNotOverwrittenEvenWithReplace) {
    const std::string notes = dir.File("notes.txt");
    std::ofstream(notes) << std::string(9000, 'n');
    const Outcome run = RunFailed("destination is a file that is no database", {src, notes});
    EXPECT_FALSE(HasLineStarting(run.out, "DB " + notes + ": droped")) << run.out;
    EXPECT_TRUE(HasLineStarting(run.out, "Fatal error: DB " + notes)) << run.out;
    EXPECT_EQ(FileBytes(notes), std::string(9000, 'n'));
    ExpectUnchanged("destination is a file that is no database", src, before);
}

TEST_F(DestinationFaults, ExistingDatabaseHeldByAnotherProcessIsNotDropped) {
    MakeExisting(dst);
    {
        AttachedElsewhere holder(dst);
        ASSERT_TRUE(holder.Ready());
        const Outcome run = RunFailed("destination held by another process", {src, dst});
        EXPECT_TRUE(HasLineStarting(run.out, "Fatal error: DB " + dst)) << run.out;
    }
    EXPECT_TRUE(StillThere(dst));
    ExpectUnchanged("destination held by another process", src, before);
}

TEST_F(DestinationFaults, FolderThatCannotBeWrittenIsAFatalError) {
    // The tests run as root, who may write almost anywhere: these fail for root too.
    const std::string plain = dir.File("plain-file");
    std::ofstream(plain) << "a file, not a folder";
    for (const auto& [what, target] : {std::pair<std::string, std::string>{"under a regular file", plain + "/clone.fdb"},
                                       {"in a missing folder", dir.File("no/such/folder/clone.fdb")},
                                       {"in /proc", "/proc/dravik-clone-test.fdb"}}) {
        const std::string name = "destination folder cannot be written: " + what;
        const Outcome run = RunFailed(name, {src, target});
        EXPECT_TRUE(HasLine(run.out, "Fatal error: DB " + target +
                                         " was not created. Choise other target database or remove database locks"))
            << name << "\n" << run.out;
        EXPECT_TRUE(HasLineStarting(run.out, "I/O error during \"open O_CREAT\" operation for file")) << run.out;
        EXPECT_FALSE(FileExists(target));
        ExpectUnchanged(name, src, before);
    }
}

TEST_F(DestinationFaults, PageSizeThatIsNoNumberOrNotAllowed) {
    for (const std::string size : {"abc", "3000", "", "-1", "4096x", "0x1000", "65536"}) {
        const std::string name = "page size '" + size + "' on the command line";
        const Outcome run = RunFailed(name, {"--page-size", size, src, dst});
        EXPECT_NE(run.err.find("--page-size takes one of 512, 1024, 2048, 4096, 8192, 16384, not '" + size + "'"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(FileExists(dst));
    }
    ExpectUnchanged("page sizes on the command line", src, before);

    // A size the program offers but Firebird 3 does not have is raised to its smallest page.
    const Outcome small = RunCloneWithin({"--page-size", "1024", src, dst});
    ExpectReport("page size 1024, below the server's smallest", small, 0);
    EXPECT_EQ(Scalar(dst, "select mon$page_size from mon$database"), "4096");
    EXPECT_TRUE(HasLine(small.out, "DB " + dst + ": page size 4096: the server raised the 1024 asked for")) << small.out;
    std::remove(dst.c_str());

    // The window's box takes typed text: what is not an offered size is
    // refused by name before anything is dropped or created.
    JobBench bench;
    bench.Databases(src, dst);
    bench.job.settings.pageSize = "abc";
    bench.DeselectAll();
    const engine::JobOutcome outcome = bench.job.RunJob().outcome;
    Ledger::Get().Case("page size 'abc' typed into the job's settings", outcome == engine::JobOutcome::DestinationFailed);
    EXPECT_EQ(outcome, engine::JobOutcome::DestinationFailed);
    const auto red = bench.Red();
    ASSERT_EQ(red.size(), 1u);
    EXPECT_EQ(red[0].caption, "Fatal error");
    EXPECT_EQ(red[0].text, "DB " + dst + " was not created: the page size must be one of 512, 1024, 2048, 4096, "
                                         "8192, 16384, not 'abc'");
    EXPECT_FALSE(FileExists(dst));
    CloseConnections(bench);
    ExpectUnchanged("page size 'abc' typed into the job's settings", src, before);
}

// A code page or character set name the source's server does not know (or
// one no connection may use) is a wrong command line: nothing is created or
// dropped, and the message names it. Aliases the server knows are taken.
TEST_F(DestinationFaults, UnknownCharacterSetIsRefusedBeforeTheDestinationIsMade) {
    const std::vector<std::pair<std::string, std::string>> wrong = {
        {"-c", "NO_SUCH_SET"}, {"--dst-charset", "NO_SUCH_SET"}, {"--default-charset", "NO_SUCH_SET"},
        {"-c", "OCTETS"}};
    for (const bool existing : {false, true}) {
        if (existing) MakeExisting(dst);
        for (const auto& [option, value] : wrong) {
            const std::string name = "character set " + option + " " + value + (existing ? " over an existing destination" : "");
            const Outcome run = RunFailed(name, {option, value, src, dst});
            EXPECT_NE(run.err.find(" " + value + " "), std::string::npos) << name << "\n" << run.err;
            EXPECT_EQ(run.out, "") << name;
            EXPECT_EQ(existing, StillThere(dst)) << name;
            EXPECT_EQ(existing, FileExists(dst)) << name;
            ExpectUnchanged(name, src, before);
        }
    }
    std::remove(dst.c_str());
    const Outcome aliases = RunCloneWithin({"-c", "utf-8", "--dst-charset", "Latin1", src, dst});
    ExpectReport("code pages given by their aliases", aliases, 0);
}

}  // namespace
}  // namespace dravik::test

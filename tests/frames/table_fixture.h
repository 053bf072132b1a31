// A source and a destination database made afresh for each test, both
// attached as a clone job attaches them, and a host that records the logs.
#pragma once

#include "db/db_query.h"
#include "support/frame_pair.h"
#include "support/test_host.h"
#include "support/test_support.h"

#include <string>
#include <vector>

namespace dravik::test {

class CloneFixture : public ::testing::Test {
protected:
    // Makes both databases, runs the script on the source (and the optional
    // one on the destination) through isql, then attaches both.
    void Prepare(const std::string& sourceScript, const std::string& destinationScript = "",
                 const std::string& charset = "NONE") {
        src = dir.File("src.fdb");
        dst = dir.File("dst.fdb");
        CreateDatabase(src, charset);
        CreateDatabase(dst, charset);
        if (!sourceScript.empty()) Isql(src, sourceScript + "\ncommit;\n", false, "UTF8");
        if (!destinationScript.empty()) Isql(dst, destinationScript + "\ncommit;\n", false, "UTF8");
        Attach(source, src, "NONE");
        Attach(destination, dst, "NONE");
    }

    // The run log as "caption: text" lines.
    std::vector<std::string> Lines() const { return host.run.Lines(); }
    // The same with the padding of names read from the catalogue removed.
    std::vector<std::string> TrimmedLines() const {
        std::vector<std::string> lines = Lines();
        for (auto& l : lines)
            while (!l.empty() && l.back() == ' ') l.pop_back();
        return lines;
    }

    // Red lines of the run log as "caption: text", the message cut to its first line.
    std::vector<std::string> ErrorHeads() const {
        std::vector<std::string> heads;
        for (const auto& e : host.Errors()) heads.push_back(e.caption + ": " + e.text.substr(0, e.text.find('\r')));
        return heads;
    }

    TempDir dir;
    std::string src, dst;
    db::DbConnection source, destination;
    TestHost host;
};

}  // namespace dravik::test

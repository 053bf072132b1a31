// A source and a destination database in a temporary folder, both attached,
// and a recording host for the frame under test; plus whole catalogue rows
// as text, for comparing what a frame built with what the source has.
#pragma once

#include "db/db_query.h"
#include "support/test_host.h"
#include "support/test_support.h"

#include <string>
#include <vector>

namespace dravik::test {

// Every row of a select as one text: the columns joined with "|", trailing
// blanks trimmed, NULL written as "<null>".
inline std::vector<std::string> Rows(const std::string& database, const std::string& sql,
                                     const std::string& charset = "NONE") {
    db::DbConnection c;
    Attach(c, database, charset);
    std::vector<std::string> rows;
    {
        db::DbQuery q(c, sql);
        q.Open();
        for (; !q.Eof(); q.Next()) {
            std::string row;
            for (int i = 0; i < q.FieldCount(); ++i) {
                std::string v = q.Fields(i).IsNull() ? "<null>" : q.Fields(i).AsString();
                while (!v.empty() && v.back() == ' ') v.pop_back();
                row += (i ? "|" : "") + v;
            }
            rows.push_back(row);
        }
    }
    if (c.DefaultTransaction().InTransaction()) c.DefaultTransaction().Commit();
    c.Disconnect();
    return rows;
}

class FramePair : public ::testing::Test {
protected:
    // Creates both databases; the source is then filled by the test (through
    // isql, before Connect, since isql opens the file from another process).
    void MakeDatabases(const std::string& charset = "WIN1251") {
        src = dir.File("source.fdb");
        dst = dir.File("destination.fdb");
        CreateDatabase(src, charset);
        CreateDatabase(dst, charset);
    }
    // Attaches both connections with code page NONE, as the job's create pass does.
    void Connect() {
        Attach(source, src);
        Attach(destination, dst);
    }
    void TearDown() override {
        for (db::DbConnection* c : {&source, &destination}) {
            if (!c->Connected()) continue;
            if (c->DefaultTransaction().InTransaction()) c->DefaultTransaction().Commit();
            c->Disconnect();
        }
    }
    std::vector<std::string> RunTexts() const {
        std::vector<std::string> lines;
        for (const auto& e : host.run.entries) lines.push_back(engine::EntryLine(e));
        return lines;
    }

    TempDir dir;
    std::string src, dst;
    db::DbConnection source, destination;
    TestHost host;
};

}  // namespace dravik::test

// The comparison that closes a finished clone: the destination against its
// source, limited to what the job was asked to reproduce, written to the
// run log as its "Verification" section.
#pragma once

#include "frames/source_row_pump.h"
#include "verify/background_digests.h"
#include "verify/compare.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace dravik::engine {

class TCloneJob;

// What the job's settings and picks ask to be equal: the picked objects of
// every frame (everything when no frame leaves an object unpicked), roles and
// privileges when they were copied, the default character set, dialect and
// page size unless others were asked for, and the rows of the tables picked
// for data.
verify::CompareOptions CloneCompareOptions(TCloneJob& job);

// The source's rows digested as the copy reads them: on each table's reading
// thread, for every table read to its end (see SourceRowWatchers).
class DigestsOfTheCopy : public verify::DigestsAhead, public frames::SourceRowWatchers {
public:
    explicit DigestsOfTheCopy(const verify::DigestKey& key) { taken_.key = key; }
    const verify::DigestKey& Key() const override { return taken_.key; }
    // Call once the copy has ended.
    const verify::TakenDigests* Take(const std::function<void()>& whileWaiting = {}) override;
    std::unique_ptr<frames::SourceRowWatch> Watch(const std::string& table, db::DbCursorSet& source) override;
    void NoRows(const std::string& table, db::DbConnection& source) override;

private:
    std::mutex mutex_;
    verify::TakenDigests taken_;
    // The source's columns, read at the first table in the copy's snapshot.
    const verify::StoredColumnsOfTables& Columns(db::DbConnection& source);
    std::unique_ptr<verify::StoredColumnsOfTables> columns_;
};

// The rows of the tables picked for data, digested while the job still works,
// both sides under one key; what is not digested ahead the verification reads
// itself. Nothing is digested ahead of a clone that is not to be verified.
class RowsDigestedAhead {
public:
    explicit RowsDigestedAhead(TCloneJob& job);
    // Before the rows. When the server is about to copy them (the frame's
    // serverSource), the source's on a thread of their own, since Dravik
    // itself idles during that copy. When Dravik copies them as the
    // verification reads them (code page NONE, no conversion, no migration),
    // as they are read (Watchers).
    void BeforeCopy();
    frames::SourceRowWatchers* Watchers() const { return ofTheCopy_.get(); }
    // After the rows, while the destination gets its keys, indices, checks
    // and triggers (one core's work, which changes no row): the
    // destination's on a thread of their own.
    void AfterCopy();
    // Waits for the destination's reading, whose attachment must be gone
    // before the forced writes switch back; a stop request ends the wait,
    // and the verification then reads the destination itself.
    void FinishDestination();
    verify::DigestsAhead* Source() const;
    verify::DigestsAhead* Destination() const { return destination_.get(); }

private:
    TCloneJob& job_;
    std::vector<std::string> tables_;
    verify::DigestKey key_;
    std::unique_ptr<verify::BackgroundDigests> source_;
    std::unique_ptr<DigestsOfTheCopy> ofTheCopy_;
    std::unique_ptr<verify::BackgroundDigests> destination_;
};

// Attaches both databases with character set NONE, compares them and writes
// one line per kind of catalogue item and per copied table (a summary line
// for many equal tables), each difference as a red line, then the time it
// took. Rows already digested (RowsDigestedAhead) are not read again. Call it
// once the job has committed and disconnected both sides.
// False when a stop request ended it (before a table, or after the last).
bool VerifyClone(TCloneJob& job, const RowsDigestedAhead* ahead = nullptr);

}  // namespace dravik::engine

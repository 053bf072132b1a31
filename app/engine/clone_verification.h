// The comparison that closes a finished clone: the destination against its
// source, limited to what the job was asked to reproduce, written to the
// run log as its "Verification" section.
#pragma once

#include "verify/background_digests.h"
#include "verify/compare.h"

#include <memory>

namespace dravik::engine {

class TCloneJob;

// What the job's settings and picks ask to be equal: the picked objects of
// every frame (everything when no frame leaves an object unpicked), roles and
// privileges when they were copied, the default character set, dialect and
// page size unless others were asked for, and the rows of the tables picked
// for data.
verify::CompareOptions CloneCompareOptions(TCloneJob& job);

// When the server is about to copy the rows (the frame's serverSource) and
// the clone is to be verified: the source's rows of the tables picked for
// data, digested meanwhile through an attachment of their own (Dravik
// itself idles during that copy, and the server's copy leaves a core idle).
// Null otherwise, or when that attachment fails. (A local clone keeps both
// cores busy while it copies; digesting the source during the work after the
// rows gained 1-3% and raised the peak memory by 3.6 MB, so it does not.)
std::unique_ptr<verify::BackgroundDigests> DigestSourceDuringCopy(TCloneJob& job);

// Attaches both databases with character set NONE, compares them and writes
// one line per kind of catalogue item and per copied table (a summary line
// for many equal tables), each difference as a red line, then the time it
// took. The source's rows already digested (DigestSourceDuringCopy) are not
// read again. Call it once the job has committed and disconnected both sides.
// False when a stop request ended it (before a table, or after the last).
bool VerifyClone(TCloneJob& job, verify::BackgroundDigests* sourceDigests = nullptr);

}  // namespace dravik::engine

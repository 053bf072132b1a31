// SIGINT and SIGTERM turned into a stop request, for the command line and
// the window alike, and the client library kept from answering them itself.
#pragma once

namespace dravik::engine {

// Installs handlers for SIGINT and SIGTERM that only record the request (and
// wake StopSignalFd's reader); a second signal, or one that arrives while an
// attach waits for its server (AttachWait), ends the program at once with
// status 130. SIGPIPE is ignored: a closed output shows as a failed write
// instead. Install before the client library is loaded, so that the library
// sees the program's own handlers and calls them.
void InstallStopSignals();
// The client library answers SIGINT and SIGTERM on its own by closing every
// attachment, which would lose the rows of the transaction in progress (and
// pull the connections from under a running job); this tells it not to, so
// the job ends by its stop request instead. Needs the library loaded;
// registers once per process.
void KeepConnectionsOnStopSignals();
// While set, a first stop signal too ends the program at once with 130: the
// command line sets it until a job is attached, when nothing has been opened
// that a stop must close (the arguments are being read, a password file may
// be a FIFO nobody writes to, --compare attaches no job).
void StopSignalsEndAtOnce(bool atOnce);
// True once SIGINT or SIGTERM arrived (or RecordStopSignal was called).
bool StopSignalArrived();
// Records a stop as a signal would (a closed output, a lost display).
void RecordStopSignal();
// A descriptor that becomes readable when a stop signal arrives: an event
// loop watches it. -1 before InstallStopSignals.
int StopSignalFd();

// While one lives, a stop signal ends the program at once: an attach that
// waits for a server cannot be interrupted otherwise, and nothing has been
// written through the connection it makes.
class AttachWait {
public:
    AttachWait();
    ~AttachWait();
    AttachWait(const AttachWait&) = delete;
    AttachWait& operator=(const AttachWait&) = delete;
};

}  // namespace dravik::engine

// Work that may block for long (an attach to a server that does not answer)
// run on a thread of its own while the window keeps its events running.
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace dravik::wizard {

// Runs `work` on a detached thread and lets the window's events run until
// it returns its text, or until `abandon` turns true (checked every few
// milliseconds): then nullopt, and the thread ends on its own later,
// touching nothing of the caller's.
std::optional<QString> RunInBackground(std::function<QString()> work, const std::function<bool()>& abandon);

// True while an abandoned attempt still runs: the program then ends without
// tearing down the libraries under it.
bool BackgroundWorkPending();

}  // namespace dravik::wizard

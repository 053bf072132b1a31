// A clone job as the engine tests drive it: both logs in memory, a user
// interface that records messages, steps and the state of the buttons, and
// a clock the test sets.
#pragma once

#include "app/engine/clone_job.h"
#include "support/test_support.h"

#include <ctime>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace dravik::test {

class RecordingUi : public engine::JobUi {
public:
    std::vector<std::string> messages;
    std::vector<std::string> steps;
    std::vector<bool> navigation;  // every SetNavigationEnabled call
    int finished = 0;
    // Runs whenever pending events would run; a test may set the stop flag here.
    std::function<void()> onEvents;

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ShowStep(const std::string& code) override { steps.push_back(code); }
    void ProcessEvents() override {
        if (onEvents) onEvents();
    }
    void SetNavigationEnabled(bool enabled) override { navigation.push_back(enabled); }
    void JobFinished() override { ++finished; }
};

struct JobBench {
    engine::MemorySink run;
    engine::MemorySink summary;
    RecordingUi ui;
    engine::TCloneJob job{run, summary, ui};
    std::deque<std::time_t> clock;  // times the job reads, in order

    JobBench() {
        // The engine tests follow the job's own lines; the verification that
        // ends a clone has tests of its own.
        job.settings.verify = false;
        job.now = [this] {
            if (clock.empty()) return std::time(nullptr);
            const std::time_t t = clock.front();
            clock.pop_front();
            return t;
        };
    }

    // Local source and destination files with the test credentials.
    void Databases(const std::string& source, const std::string& destination) {
        job.settings.srcPath = source;
        job.settings.dstPath = destination;
    }

    std::vector<std::string> Lines() const { return run.Lines(); }
    std::vector<engine::LogEntry> Red() const;
    bool HasLine(const std::string& line) const;
    int CountCaption(const std::string& caption) const;
    // Picks nothing in any frame.
    void DeselectAll();
};

// A local time as the clock gives it.
std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second);

// Everything of a database a clone must not change: its catalogue (relations,
// columns, procedures, triggers, generators, roles, privileges) and the rows
// of the tables named.
std::string DatabaseDigest(const std::string& database, const std::vector<std::string>& tables = {});

// Privilege rows of non-system objects as "user|grantor|privilege|option|object|column|userType|objectType".
std::vector<std::string> UserPrivileges(const std::string& database);

}  // namespace dravik::test

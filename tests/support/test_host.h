// A frame host that records both logs in memory, for tests of single frames.
#pragma once

#include "app/engine/log.h"
#include "frames/frame_host.h"

#include <functional>

namespace dravik::test {

class TestHost : public frames::FrameHost {
public:
    engine::MemorySink run;
    engine::MemorySink summary;
    bool stop = false;
    int eventRuns = 0;
    // Called whenever events would run; a test may set `stop` from here.
    std::function<void()> onEvents;

    void LogOk(const std::string& c, const std::string& t) override { Add(run, c, t, engine::kGreen); }
    void LogNote(const std::string& c, const std::string& t) override { Add(run, c, t, engine::kNavy); }
    void LogError(const std::string& c, const std::string& t) override { Add(run, c, t, engine::kRed); }
    // A failed job is a red line that also sets `stop` and `failed`.
    void JobFailed(const std::string& c, const std::string& t) override {
        failed = stop = true;
        LogError(c, t);
    }
    bool failed = false;
    void SummaryPlain(const std::string& c, const std::string& t) override { Add(summary, c, t, engine::kBlack); }
    void SummaryNote(const std::string& c, const std::string& t) override { Add(summary, c, t, engine::kNavy); }
    void SummaryWarn(const std::string& c, const std::string& t) override { Add(summary, c, t, engine::kDarkRed); }
    bool StopFlag() const override { return stop; }
    void ProcessEvents() override {
        ++eventRuns;
        if (onEvents) onEvents();
    }

    // Entries of the run log written in red.
    std::vector<engine::LogEntry> Errors() const {
        std::vector<engine::LogEntry> errors;
        for (const auto& e : run.entries)
            if (e.textColour == engine::kRed) errors.push_back(e);
        return errors;
    }

private:
    void Add(engine::MemorySink& sink, const std::string& c, const std::string& t, engine::Colour colour) {
        sink.Append({c, engine::kGrey, t, colour});
        ProcessEvents();
    }
};

}  // namespace dravik::test

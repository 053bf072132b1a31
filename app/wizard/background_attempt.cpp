#include "app/wizard/background_attempt.h"

#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace dravik::wizard {

namespace {

std::atomic<int> running{0};

// Shared by the caller and the thread, so that either may go first.
struct Attempt {
    std::mutex mutex;
    bool done = false;
    QString result;
};

constexpr int kPollMilliseconds = 20;

}  // namespace

std::optional<QString> RunInBackground(std::function<QString()> work, const std::function<bool()>& abandon) {
    auto attempt = std::make_shared<Attempt>();
    ++running;
    std::thread([attempt, work = std::move(work)] {
        QString result = work();
        {
            const std::lock_guard lock(attempt->mutex);
            attempt->result = std::move(result);
            attempt->done = true;
        }
        --running;
    }).detach();

    QEventLoop loop;
    QTimer poll;
    std::optional<QString> outcome;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        const std::lock_guard lock(attempt->mutex);
        if (attempt->done) {
            outcome = attempt->result;
            loop.quit();
        } else if (abandon()) {
            loop.quit();
        }
    });
    poll.start(kPollMilliseconds);
    loop.exec();
    return outcome;
}

bool BackgroundWorkPending() { return running.load() > 0; }

}  // namespace dravik::wizard

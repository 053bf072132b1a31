#include "frames/source_table_prefetch.h"

#include "frames/declareSQL.h"

#include <utility>

namespace dravik::frames {

SourceTablePrefetch::SourceTablePrefetch(db::DbConnection& source, std::vector<std::string> tables)
    : source_(source),
      tables_(std::move(tables)),
      transactionEndsAt_(source.DefaultTransaction().Ends()),
      worker_([this] { Work(); }) {}

SourceTablePrefetch::~SourceTablePrefetch() {
    {
        std::lock_guard lock(mutex_);
        quitting_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

SourceTablePrefetch::Window::Window(SourceTablePrefetch* prefetch) : prefetch_(prefetch) {
    if (prefetch_) prefetch_->Allow(true);
}

SourceTablePrefetch::Window::~Window() {
    if (prefetch_) prefetch_->Allow(false);
}

void SourceTablePrefetch::Allow(bool allowed) {
    std::unique_lock lock(mutex_);
    allowed_ = allowed;
    changed_.notify_all();
    // The window closes once the table being opened is.
    if (!allowed) changed_.wait(lock, [this] { return !busy_; });
}

bool SourceTablePrefetch::SnapshotKept() const {
    return source_.Connected() && source_.DefaultTransaction().StillTheOne(transactionEndsAt_);
}

void SourceTablePrefetch::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] {
            return quitting_ || (allowed_ && next_ < tables_.size() && heldOpen_ < kMostHeldOpen);
        });
        if (quitting_ || !SnapshotKept()) return;
        const std::string name = tables_[next_++];
        busy_ = true;
        lock.unlock();
        OpenedSource opened;
        bool reached = false;
        try {
            auto table = NewTable(source_, name);
            table->OpenPacked();
            if (table->Eof())
                opened.empty = true;  // closed at once: nothing to hold for it
            else
                opened.table = std::move(table);
            reached = true;
        } catch (const std::exception&) {
            // Left to the data pass, which reports the failure in its place.
        }
        lock.lock();
        busy_ = false;
        if (reached) {
            if (opened.table) ++heldOpen_;
            opened_.emplace(name, std::move(opened));
        }
        changed_.notify_all();
    }
}

OpenedSource SourceTablePrefetch::Take(const std::string& table) {
    std::lock_guard lock(mutex_);
    const auto at = opened_.find(table);
    if (at == opened_.end()) return {};
    OpenedSource opened = std::move(at->second);
    opened_.erase(at);
    if (opened.table) --heldOpen_;
    changed_.notify_all();
    // A table of an ended snapshot was closed with it; dropped here.
    if (!SnapshotKept() || (opened.table && !opened.table->IsOpen())) return {};
    return opened;
}

}  // namespace dravik::frames

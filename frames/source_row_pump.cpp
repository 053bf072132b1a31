#include "frames/source_row_pump.h"

#include <utility>

namespace dravik::frames {

SourceRowPump::SourceRowPump(db::DbTable& from, std::vector<db::DbField*> fields, SourceRowWatch* watch)
    : from_(from), fields_(std::move(fields)), watch_(watch) {
    for (int i = 1; i < kChunks; ++i) empty_.push_back(std::make_unique<Chunk>());
    // The first chunk is read here: a table it holds whole (most tables of a
    // schema) needs no thread.
    auto first = std::make_unique<Chunk>();
    ReadChunk(*first);
    const bool last = first->last;
    full_.push_back(std::move(first));
    if (!last) thread_ = std::thread([this] { Run(); });
}

SourceRowPump::~SourceRowPump() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void SourceRowPump::ReadChunk(Chunk& chunk) {
    chunk.count = 0;
    chunk.failure = nullptr;
    try {
        while (chunk.count < kRowsPerChunk && !from_.Eof()) {
            if (chunk.rows.size() <= chunk.count) chunk.rows.emplace_back(fields_.size());
            Row& row = chunk.rows[chunk.count];
            for (size_t i = 0; i < fields_.size(); ++i) fields_[i]->ReadInto(row[i]);
            if (watch_) watch_->Row(from_);
            ++chunk.count;
            from_.Next();
        }
        chunk.last = from_.Eof();
        if (chunk.last && watch_) watch_->AllRead();
    } catch (...) {
        chunk.failure = std::current_exception();
        chunk.last = true;
    }
}

void SourceRowPump::Run() {
    for (;;) {
        std::unique_ptr<Chunk> chunk;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !empty_.empty(); });
            if (stopping_) return;
            chunk = std::move(empty_.front());
            empty_.pop_front();
        }
        ReadChunk(*chunk);
        const bool last = chunk->last;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            full_.push_back(std::move(chunk));
        }
        changed_.notify_all();
        if (last) return;
    }
}

SourceRowPump::Row* SourceRowPump::Next() {
    for (;;) {
        if (current_) {
            if (at_ < current_->count) return &current_->rows[at_++];
            if (current_->failure) std::rethrow_exception(current_->failure);
            if (current_->last) return nullptr;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                empty_.push_back(std::move(current_));
            }
            changed_.notify_all();
        }
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !full_.empty(); });
        current_ = std::move(full_.front());
        full_.pop_front();
        at_ = 0;
    }
}

}  // namespace dravik::frames

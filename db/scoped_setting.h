// A thread's setting given a value for the lifetime of a scope and given
// back its previous one when the scope ends (the job's dialect for names,
// its migration, its text conversion).
#pragma once

#include <utility>

namespace dravik::db {

template <typename T>
class ScopedSetting {
public:
    ScopedSetting(T& setting, T value) : setting_(setting), previous_(std::exchange(setting, std::move(value))) {}
    ~ScopedSetting() { setting_ = std::move(previous_); }
    ScopedSetting(const ScopedSetting&) = delete;
    ScopedSetting& operator=(const ScopedSetting&) = delete;

private:
    T& setting_;
    T previous_;
};

}  // namespace dravik::db

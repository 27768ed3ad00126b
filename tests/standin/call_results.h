// The results a test has chosen for the stand-in's calls.
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include "calls.h"

namespace standin {

class CallResults {
public:
    void Set(Call call, int32_t value) { fixed_[call] = value; }
    void Queue(Call call, int32_t value) { queued_[call].push_back(value); }
    // The next queued result, else the fixed one, else fallback.
    int32_t Next(Call call, int32_t fallback);
    void Clear();

private:
    std::array<std::optional<int32_t>, kCallCount> fixed_;
    std::array<std::deque<int32_t>, kCallCount> queued_;
};

}  // namespace standin

#include "call_results.h"

namespace standin {

int32_t CallResults::Next(Call call, int32_t fallback)
{
    std::deque<int32_t>& queue = queued_[call];
    if (!queue.empty()) {
        const int32_t value = queue.front();
        queue.pop_front();
        return value;
    }
    return fixed_[call].value_or(fallback);
}

void CallResults::Clear()
{
    fixed_.fill(std::nullopt);
    for (std::deque<int32_t>& queue : queued_) queue.clear();
}

}  // namespace standin

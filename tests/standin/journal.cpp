#include "journal.h"

namespace standin {

void Journal::Add(const char* call, NPP instance, void* pdata, void* ndata,
                  std::string arguments, std::initializer_list<const void*> pointers)
{
    Stored& stored = entries_.emplace_back();
    stored.arguments = std::move(arguments);
    stored.entry = StandinEntry{call, stored.arguments.c_str(), instance, pdata, ndata, {}};
    size_t slot = 0;
    for (const void* pointer : pointers) {
        if (slot == std::size(stored.entry.pointers)) break;
        stored.entry.pointers[slot++] = pointer;
    }
}

const StandinEntry* Journal::At(int index) const
{
    if (index < 0 || index >= Count()) return nullptr;
    return &entries_[static_cast<size_t>(index)].entry;
}

std::string Journal::Render() const
{
    std::string text;
    for (const Stored& stored : entries_) {
        text += stored.entry.call;
        text += '(';
        text += stored.arguments;
        text += ")\n";
    }
    return text;
}

}  // namespace standin

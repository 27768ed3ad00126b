// The ordered record of every call the stand-in received.
#pragma once
#include <deque>
#include <initializer_list>
#include <string>
#include "standin_control.h"

namespace standin {

class Journal {
public:
    // Appends one entry; instance, pdata and ndata are the values at entry.
    void Add(const char* call, NPP instance, void* pdata, void* ndata, std::string arguments,
             std::initializer_list<const void*> pointers);

    int Count() const { return static_cast<int>(entries_.size()); }
    // Null when index is out of range; stable until Clear.
    const StandinEntry* At(int index) const;
    // Every entry as "call(arguments)\n".
    std::string Render() const;
    void Clear() { entries_.clear(); }

private:
    struct Stored {
        std::string arguments;
        StandinEntry entry;
    };
    std::deque<Stored> entries_;  // a deque keeps entries in place as it grows
};

}  // namespace standin

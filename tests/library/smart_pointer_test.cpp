// Reference counting of library objects: the smart pointer's counts as one
// journal, its faults, and destruction exactly once under contention.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "support/gexception.h"
#include "support/gsmartpointer.h"

namespace {

// Notes its count at destruction; its memory goes to the graveyard, so that a
// thread still reading it sees its final count rather than freed memory.
struct Tracked : GPEnabled {
    explicit Tracked(std::string* journal = nullptr) : journal(journal) {}
    ~Tracked()
    {
        if (journal) *journal += "destroyed at " + std::to_string(count);
        InterlockedIncrement(&destroyed);
    }
    void* G_THISCALL DeletingDestructor(unsigned flags) override
    {
        return GDestroyEntry(this, flags);
    }
    static void operator delete(void* block) { graveyard.push_back(block); }
    std::string* journal;
    static inline LONG destroyed = 0;
    static inline std::vector<void*> graveyard;
};

std::string FaultOf(void (*body)(Tracked* object), Tracked* object)
{
    try {
        body(object);
    } catch (const GException& exception) {
        return exception.GetCause();
    }
    return "(none)";
}

TEST(GSmartPointer, CountsEveryReferenceAndDestroysOnceWithTheLast)
{
    std::string journal;
    auto* object = new Tracked(&journal);
    auto note = [&](const char* step) { journal += step + std::to_string(object->count) + "; "; };
    note("new ");
    {
        GP<Tracked> first = object;
        note("first ");
        GP<Tracked> second = first;
        note("second ");
        second = first;
        note("same again ");
        first = object;
        note("self from plain ");
        second.Release();
        note(second.get() ? "released, kept " : "released ");
    }
    EXPECT_EQ(journal, "new 0; first 1; second 2; same again 2; self from plain 2; released 1; "
                       "destroyed at -1");

    Tracked dying;
    dying.count = -1;  // its last reference has gone: never taken up again
    EXPECT_EQ(GP<Tracked>(&dying).get(), nullptr);
    GP<Tracked> held = new Tracked;
    EXPECT_EQ(std::vector<std::string>({FaultOf([](Tracked*) { (void)*GP<Tracked>(); }, nullptr),
                                        FaultOf([](Tracked* o) { o->Destroy(); }, held.get()),
                                        FaultOf([](Tracked*) { Tracked local; local.count = 1; }, nullptr)}),
              std::vector<std::string>(3, "GSmartPointer.suspicious"));
    EXPECT_EQ(held->count, 1);
}

struct Race {
    Tracked* object;
    HANDLE start;
};

DWORD WINAPI AssignFromPlainPointer(void* parameter)
{
    auto* race = static_cast<Race*>(parameter);
    WaitForSingleObject(race->start, INFINITE);
    GP<Tracked> taken = race->object;
    return 0;
}

// One thread releases the last reference while another assigns the object
// from a plain pointer: either way it is destroyed exactly once.
TEST(GSmartPointer, ReleasedWhileAnotherThreadTakesItUpIsDestroyedExactlyOnce)
{
    const LONG before = Tracked::destroyed;
    for (int round = 1; round <= 200; ++round) {
        Race race{new Tracked, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
        GP<Tracked> owner = race.object;
        HANDLE thread = CreateThread(nullptr, 0, AssignFromPlainPointer, &race, 0, nullptr);
        SetEvent(race.start);
        owner.Release();
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        CloseHandle(race.start);
        ASSERT_EQ(Tracked::destroyed - before, round);
    }
}

}  // namespace

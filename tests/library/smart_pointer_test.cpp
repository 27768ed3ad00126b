// Reference counting of library objects: the smart pointer's rules, the
// string object's two words, and destruction exactly once under contention.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "support/gexception.h"
#include "support/gsmartpointer.h"
#include "support/gutf8string.h"

namespace {

struct Tracked : GPEnabled {
    explicit Tracked(LONG* destroyed) : destroyed(destroyed) {}
    ~Tracked() { InterlockedIncrement(destroyed); }
    void* G_THISCALL DeletingDestructor(unsigned flags) override
    {
        return GDestroyEntry(this, flags);
    }
    LONG* destroyed;
};

template <class Body>
std::string FaultOf(Body body)
{
    try {
        body();
    } catch (const GException& exception) {
        return exception.GetCause();
    }
    return "(none)";
}

TEST(GSmartPointer, CountsReferencesAndDestroysWithTheLast)
{
    LONG destroyed = 0;
    auto* object = new Tracked(&destroyed);
    EXPECT_EQ(object->count, 0);
    {
        GP<Tracked> first = object;
        EXPECT_EQ(object->count, 1);
        GP<Tracked> second = first;
        EXPECT_EQ(object->count, 2);
        second = first;
        EXPECT_EQ(object->count, 2) << "assigning the same object";
        second.Release();
        EXPECT_EQ(second.get(), nullptr);
        EXPECT_EQ(object->count, 1);
        first = first.get();
        EXPECT_EQ(object->count, 1) << "self-assignment from the plain pointer";
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(GSmartPointer, SuspiciousUses)
{
    GP<Tracked> empty;
    EXPECT_EQ(FaultOf([&] { empty->count = 1; }), "GSmartPointer.suspicious");
    EXPECT_EQ(FaultOf([&] { (void)*empty; }), "GSmartPointer.suspicious");

    LONG destroyed = 0;
    auto* object = new Tracked(&destroyed);
    GP<Tracked> held = object;
    EXPECT_EQ(FaultOf([&] { object->Destroy(); }), "GSmartPointer.suspicious")
        << "destroying a referenced object";
    EXPECT_EQ(destroyed, 0);

    // An object being destroyed (count -1) is never taken up again.
    LONG otherDestroyed = 0;
    Tracked dying(&otherDestroyed);
    dying.count = -1;
    GP<Tracked> revived = &dying;
    EXPECT_EQ(revived.get(), nullptr);
    EXPECT_EQ(dying.count, -1);

    // A stack object with a reference left raises from its destructor.
    EXPECT_EQ(FaultOf([] {
                  LONG count = 0;
                  Tracked local(&count);
                  local.count = 1;
              }),
              "GSmartPointer.suspicious");
}

// The plugin's compiler releases our objects as its own: entry 0 of the
// table with this and the flags (this in ECX on 32-bit); flag 1 frees.
TEST(GPEnabled, EntryZeroIsMicrosoftsScalarDeletingDestructor)
{
    using EntryZero = void*(G_THISCALL*)(GPEnabled * self, unsigned flags);
    LONG destroyed = 0;
    for (const unsigned flags : {0u, kGDeleteMemory}) {
        Tracked* object = new Tracked(&destroyed);
        const EntryZero entry = (*reinterpret_cast<EntryZero* const*>(object))[0];
        EXPECT_EQ(entry(object, flags), object);
        if (!(flags & kGDeleteMemory)) ::operator delete(object);  // kept by flag 0
    }
    EXPECT_EQ(destroyed, 2);
}

TEST(GUTF8String, EmptyHasNoRepresentationAndTheSharedEmptyText)
{
    GUTF8String text;
    EXPECT_EQ(text.Rep(), nullptr);
    EXPECT_EQ(text.Text(), GEmptyText);
    void* const* words = reinterpret_cast<void* const*>(&text);
    EXPECT_EQ(words[0], nullptr);
    EXPECT_EQ(words[1], GEmptyText);

    text = new GStringRep("abc", 3);
    EXPECT_STREQ(text.Text(), "abc");
    EXPECT_EQ(words[1], text.Rep()->data);
    text = nullptr;
    EXPECT_EQ(words[1], GEmptyText);
}

// Objects of the contention test keep their memory after destruction, so a
// thread that still reads one sees its final count rather than freed memory.
struct Retained : Tracked {
    using Tracked::Tracked;
    static void* operator new(std::size_t size) { return ::operator new(size); }
    static void operator delete(void* block) { Graveyard().push_back(block); }
    void* G_THISCALL DeletingDestructor(unsigned flags) override
    {
        return GDestroyEntry(this, flags);
    }
    static std::vector<void*>& Graveyard()
    {
        static std::vector<void*> blocks;
        return blocks;
    }
};

struct Race {
    Retained* object;
    HANDLE start;
    bool revived;
};

DWORD WINAPI AssignFromPlainPointer(void* parameter)
{
    auto* race = static_cast<Race*>(parameter);
    WaitForSingleObject(race->start, INFINITE);
    GP<Retained> taken = race->object;
    race->revived = taken.get() != nullptr;
    return 0;
}

TEST(GSmartPointer, ReleasedWhileAnotherThreadTakesItUpIsDestroyedExactlyOnce)
{
    constexpr int kRounds = 300;
    LONG destroyed = 0;
    int revivals = 0;
    for (int round = 0; round < kRounds; ++round) {
        Race race{new Retained(&destroyed), CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
        GP<Retained> owner = race.object;
        HANDLE thread = CreateThread(nullptr, 0, AssignFromPlainPointer, &race, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        SetEvent(race.start);
        owner.Release();
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        CloseHandle(race.start);
        if (race.revived) ++revivals;
        ASSERT_EQ(destroyed, round + 1) << "round " << round;
    }
    EXPECT_EQ(Retained::Graveyard().size(), static_cast<std::size_t>(kRounds));
    for (void* block : Retained::Graveyard()) ::operator delete(block);
    Retained::Graveyard().clear();
    RecordProperty("revivals", revivals);
}

}  // namespace

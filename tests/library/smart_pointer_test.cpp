// Reference counting of library objects: the smart pointer's counts as one
// journal, an object whose last reference has gone never taken up again,
// and the faults of suspicious uses.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "support/gexception.h"
#include "support/gsmartpointer.h"

namespace {

struct Tracked : GPEnabled {
    explicit Tracked(std::string* journal = nullptr) : journal(journal) {}
    ~Tracked()
    {
        if (journal) *journal += "destroyed at " + std::to_string(count);
    }
    void* G_THISCALL DeletingDestructor(unsigned flags) override
    {
        return GDestroyEntry(this, flags);
    }
    std::string* journal;
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
                                        FaultOf([](Tracked*) {
                                            Tracked referenced;
                                            referenced.count = 1;
                                        }, nullptr)}),
              std::vector<std::string>(3, "GSmartPointer.suspicious"));
    EXPECT_EQ(held->count, 1);
}

}  // namespace

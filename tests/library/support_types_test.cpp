// The support library's reference counting, as one journal of counts and faults, and its list,
// which holds the control's downloads.
#include <gtest/gtest.h>
#include <string>
#include "support/gexception.h"
#include "support/glist.h"
#include "support/gsmartpointer.h"

namespace {

struct Tracked : GPEnabled {
    explicit Tracked(std::string* journal) : journal(journal) {}
    ~Tracked() { *journal += "destroyed at " + std::to_string(count) + "; "; }
    void* G_THISCALL DeletingDestructor(unsigned flags) override { return GDestroyEntry(this, flags); }
    std::string* journal;
};

template <class Body>
std::string FaultOf(Body body)
{
    try {
        return body(), "done; ";
    } catch (const GException& exception) {
        return std::string(exception.GetCause()) + "; ";
    }
}

TEST(GSmartPointer, CountsEveryReferenceDestroysOnceAndRefusesSuspiciousUses)
{
    std::string journal;
    auto* object = new Tracked(&journal);
    auto note = [&](const char* step) { journal += step + std::to_string(object->count) + "; "; };
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
        journal += FaultOf([&] { object->Destroy(); });
    }
    Tracked dying(&journal);
    dying.count = -1;  // its last reference has gone: never taken up again
    journal += GP<Tracked>(&dying).get() ? "revived; " : "not revived; ";
    journal += FaultOf([] { (void)*GP<Tracked>(); });
    journal += FaultOf([&] {
        Tracked referenced(&journal);
        referenced.count = 1;
    });
    EXPECT_EQ(journal, "first 1; second 2; same again 2; self from plain 2; released 1; "
                       "GSmartPointer.suspicious; destroyed at -1; not revived; "
                       "GSmartPointer.suspicious; destroyed at 1; GSmartPointer.suspicious; ");
}

TEST(GList, AppendsAfterAClearAndNamesEveryPositionFault)
{
    GList<int> list, other;
    for (int value : {1, 2, 3}) list.Append(value);
    other.Append(9);
    const GPosition stale = list.First();
    list.Clear();
    list.Append(4), list.Append(5);  // linked to no freed node
    GPosition end = list.First();
    std::string text = std::to_string(list.Count()) + ": ";
    for (; end; list.Next(end)) text += std::to_string(list[end]) + " ";
    for (const GPosition& position : {list.First(), other.First(), GPosition(), end, stale})
        text += FaultOf([&] { (void)list[position]; });
    EXPECT_EQ(text, "2: 4 5 done; GContainer.bad_pos_cont; GContainer.bad_pos_cont; GContainer.bad_pos_null; "
                    "GContainer.bad_pos; ");
}

}  // namespace

// The support library's exception, list and typed buffer.
#include <gtest/gtest.h>
#include <cstring>
#include <new>
#include <string>
#include <vector>
#include "support/gbuffer.h"
#include "support/gexception.h"
#include "support/glist.h"

namespace {

std::string CauseOf(void (*raise)())
{
    try {
        raise();
    } catch (const GException& exception) {
        return exception.GetCause();
    }
    return "(nothing raised)";
}

TEST(GException, OwnsACopyOfItsCauseButNotTheOutOfMemoryKey)
{
    char cause[] = "GSmartPointer.suspicious";
    GException exception(cause, "file.cpp", 42);
    std::strcpy(cause, "changed");
    EXPECT_STREQ(exception.GetCause(), "GSmartPointer.suspicious");
    EXPECT_NE(exception.GetCause(), cause);
    EXPECT_STREQ(exception.GetFile(), "file.cpp");
    EXPECT_EQ(exception.GetLine(), 42);
    EXPECT_EQ(exception.GetFunction(), nullptr);

    GException copy(exception);
    EXPECT_STREQ(copy.GetCause(), "GSmartPointer.suspicious");
    EXPECT_NE(copy.GetCause(), exception.GetCause()) << "each copy owns its cause";

    GException outOfMemory(GException::outofmemory);
    EXPECT_EQ(outOfMemory.GetCause(), GException::outofmemory);
    EXPECT_TRUE(outOfMemory.IsOutOfMemory());
    GException equalText("GException.outofmemory");
    EXPECT_FALSE(equalText.IsOutOfMemory()) << "only the key itself is shared";
    copy = outOfMemory;
    EXPECT_EQ(copy.GetCause(), GException::outofmemory);

    EXPECT_STREQ(GException().GetCause(), "Invalid exception");
    EXPECT_STREQ(GException(nullptr, "f", 1).GetCause(), "Invalid exception");
}

// G_THROW raises a copy that names the place; the out-of-memory key raises an
// exception that is both a GException and a std::bad_alloc.
TEST(GException, RaisingCarriesThePlaceAndOutOfMemoryIsAlsoABadAlloc)
{
    try {
        G_THROW("GContainer.bad_pos");
        FAIL() << "G_THROW returned";
    } catch (const GException& exception) {
        EXPECT_STREQ(exception.GetCause(), "GContainer.bad_pos");
        EXPECT_STREQ(exception.GetFile(), "support_types_test.cpp") << "the bare file name";
        EXPECT_GT(exception.GetLine(), 0);
    }
    EXPECT_EQ(CauseOf([] { GOutOfMemoryHandler(); }), "GException.outofmemory");
    EXPECT_THROW(GOutOfMemoryHandler(), std::bad_alloc);
    EXPECT_THROW(GRaise(GException(GException::outofmemory)), std::bad_alloc);
}

TEST(GList, AppendLinksBothWaysAndCounts)
{
    GList<int*> list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.First());

    int a = 1, b = 2, c = 3;
    list.Append(&a);
    EXPECT_EQ(list.Count(), 1);
    GPosition position = list.First();
    ASSERT_TRUE(position);
    EXPECT_EQ(list[position], &a) << "the only node is the first";

    list.Append(&b);
    list.Append(&c);
    EXPECT_EQ(list.Count(), 3);
    std::vector<int*> seen;
    for (GPosition p = list.First(); p; list.Next(p)) seen.push_back(list[p]);
    EXPECT_EQ(seen, (std::vector<int*>{&a, &b, &c}));

    // The header's and the nodes' own words.
    void* const* header = reinterpret_cast<void* const*>(&list);
    const GNode* first = static_cast<const GNode*>(header[2]);
    const GNode* last = static_cast<const GNode*>(header[3]);
    EXPECT_EQ(*reinterpret_cast<const int32_t*>(&header[1]), 3);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->prev, nullptr);
    EXPECT_EQ(first->next->next, last);
    EXPECT_EQ(last->prev, first->next);
    EXPECT_EQ(last->next, nullptr);
    EXPECT_EQ(reinterpret_cast<void* const*>(last)[2], &c) << "the element is the third word";

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.First());
    EXPECT_EQ(header[2], nullptr);
    EXPECT_EQ(header[3], nullptr);
    list.Append(&b);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list[list.First()], &b);
}

TEST(GList, ClearFinalisesEveryElement)
{
    // Counts the finalised elements of the list (its own copies).
    struct Element {
        int* finalised;
        ~Element() { ++*finalised; }
    };
    int finalised = 0;
    {
        GList<Element> list;
        list.Append(Element{&finalised});
        list.Append(Element{&finalised});
        finalised = 0;  // the temporaries
        list.Clear();
        EXPECT_EQ(finalised, 2);
        list.Append(Element{&finalised});
        finalised = 0;
    }
    EXPECT_EQ(finalised, 1) << "the list's destructor clears it too";
}

std::string PositionFault(GList<int>& list, const GPosition& position)
{
    try {
        list[position];
    } catch (const GException& exception) {
        return exception.GetCause();
    }
    return "(valid)";
}

TEST(GList, PositionChecksNameTheirFault)
{
    GList<int> list, other;
    list.Append(1);
    other.Append(2);

    EXPECT_EQ(PositionFault(list, list.First()), "(valid)");
    EXPECT_EQ(PositionFault(list, other.First()), "GContainer.bad_pos_cont");
    EXPECT_EQ(PositionFault(list, GPosition()), "GContainer.bad_pos_cont");
    GPosition end = list.First();
    list.Next(end);
    EXPECT_FALSE(end);
    EXPECT_EQ(PositionFault(list, end), "GContainer.bad_pos_null");
    list.Next(end);
    EXPECT_FALSE(end) << "stays at the end";

    GPosition stale = list.First();
    list.Clear();
    list.Append(3);
    EXPECT_EQ(PositionFault(list, stale), "GContainer.bad_pos") << "its node is gone";
}

TEST(GPBuffer, AllocatesCountElementsAndFreesThroughTheOwnersPointer)
{
    int32_t* owner = reinterpret_cast<int32_t*>(1);
    {
        GPBuffer<int32_t> buffer(owner, 4);
        ASSERT_NE(owner, nullptr);
        EXPECT_EQ(buffer.Count(), 4);
        buffer.Fill(0xAB);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(static_cast<uint32_t>(owner[i]), 0xABABABABu);
    }
    EXPECT_EQ(owner, nullptr);

    {
        GPBuffer<int32_t> buffer(owner, 3, true);
        ASSERT_NE(owner, nullptr);
        buffer.Fill(0);
        EXPECT_EQ(owner[2], 0);
    }
    EXPECT_EQ(owner, nullptr);

    owner = reinterpret_cast<int32_t*>(1);
    GPBuffer<int32_t> none(owner, 0);
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(none.Count(), 0);
    none.Fill(1);
    GPBuffer<int32_t> negative(owner, -5);
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(negative.Count(), 0);
}

// Blocks whose size does not fit in the address space.
struct Huge {
    char bytes[std::size_t(1) << (sizeof(void*) * 8 - 4)];
};

// A failed malloc leaves no block and no count; an oversized operator new
// request raises out-of-memory.
TEST(GPBuffer, AFailedAllocationLeavesNoBlock)
{
    Huge* owner = nullptr;
    GPBuffer<Huge> buffer(owner, 0x7FFFFFFF, true);
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(buffer.Count(), 0);
    buffer.Fill(0);
    EXPECT_THROW((GPBuffer<Huge>(owner, 0x7FFFFFFF)), std::bad_alloc);
    EXPECT_EQ(owner, nullptr);
}

}  // namespace

// The support library's exception and list.
#include <gtest/gtest.h>
#include <cstring>
#include "support/gexception.h"
#include "support/glist.h"

TEST(GException, OwnsItsCauseSharesOnlyTheOutOfMemoryKeyAndNamesItsPlace)
{
    char cause[] = "GSmartPointer.suspicious";
    const GException exception(cause, "file.cpp", 42);
    std::strcpy(cause, "changed");
    const GException copy(exception);
    EXPECT_EQ(std::string(copy.GetCause()) + " " + exception.GetFile() + ":" + std::to_string(exception.GetLine()),
              "GSmartPointer.suspicious file.cpp:42");
    EXPECT_NE(copy.GetCause(), exception.GetCause()) << "each copy owns its cause";
    EXPECT_TRUE(GException(GException::outofmemory).IsOutOfMemory());
    EXPECT_FALSE(GException("GException.outofmemory").IsOutOfMemory()) << "only the key itself is shared";
    EXPECT_STREQ(GException(nullptr, "f", 1).GetCause(), "Invalid exception");
    EXPECT_THROW(GOutOfMemoryHandler(), std::bad_alloc) << "a GException and a bad_alloc at once";
}

TEST(GList, AppendsAfterAClearAndNamesEveryPositionFault)
{
    GList<int> list, other;
    for (int value : {1, 2, 3}) list.Append(value);
    other.Append(9);
    const GPosition stale = list.First();
    list.Clear();
    list.Append(4);  // links to no freed node (the sanitizer watches)
    list.Append(5);
    GPosition end = list.First();
    std::string text = std::to_string(list.Count()) + ":";
    for (; end; list.Next(end)) text += " " + std::to_string(list[end]);
    for (const GPosition& position : {list.First(), other.First(), GPosition(), end, stale}) {
        try {
            text += " " + std::to_string(list[position]);
        } catch (const GException& exception) {
            text += std::string(" ") + exception.GetCause();
        }
    }
    EXPECT_EQ(text, "2: 4 5 4 GContainer.bad_pos_cont GContainer.bad_pos_cont GContainer.bad_pos_null GContainer.bad_pos");
}

// The support library's list, which holds the control's downloads.
#include <gtest/gtest.h>
#include "support/gexception.h"
#include "support/glist.h"

TEST(GList, AppendsAfterAClearAndNamesEveryPositionFault)
{
    GList<int> list, other;
    for (int value : {1, 2, 3}) list.Append(value);
    other.Append(9);
    const GPosition stale = list.First();
    list.Clear();
    list.Append(4), list.Append(5);  // linked to no freed node (the sanitizer watches)
    GPosition end = list.First();
    std::string text = std::to_string(list.Count()) + ":";
    for (; end; list.Next(end)) text += " " + std::to_string(list[end]);
    for (const GPosition& position : {list.First(), other.First(), GPosition(), end, stale}) {
        try { text += " " + std::to_string(list[position]); } catch (const GException& exception) { text += std::string(" ") + exception.GetCause(); }
    }
    EXPECT_EQ(text, "2: 4 5 4 GContainer.bad_pos_cont GContainer.bad_pos_cont GContainer.bad_pos_null GContainer.bad_pos");
}

// One table per pure function: each row's input and expected result; a failing row is named by its input.
#pragma once
#include <gtest/gtest.h>

template <class In, class Out, class Function>
void ExpectRows(Function function, std::initializer_list<std::pair<In, Out>> rows)
{
    for (const auto& [in, out] : rows) EXPECT_EQ(function(in), out) << testing::PrintToString(in);
}

#include "console/console.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Numbers = std::vector<int>;

constexpr int intMax = std::numeric_limits<int>::max();
constexpr int intMin = std::numeric_limits<int>::min();

// Every number read from `input` until the reader reports that input has
// ended. Each read must consume input, so more reads than bytes is a failure.
Numbers numbers_read(const std::string& input)
{
    std::istringstream in(input);
    Numbers numbers;
    while (const auto number = console::read_number(in)) {
        numbers.push_back(*number);
        if (numbers.size() > input.size()) {
            ADD_FAILURE() << "reads that consume nothing";
            break;
        }
    }
    return numbers;
}

// The transcripts show the reader at work in the menu and in fights; these
// pin down the cases that they do not reach.
TEST(ReadNumber, EndsOnlyWhenNothingButBlanksIsLeft)
{
    EXPECT_EQ(numbers_read(" \t\r\n\v\f\n"), Numbers{});
    EXPECT_EQ(numbers_read("3 3 0\n"), (Numbers{3, 3, 0}));
    EXPECT_EQ(numbers_read("12abc 5\r\n4"), (Numbers{12, 0, 4}));
    EXPECT_EQ(numbers_read("7\nxyz"), (Numbers{7, 0}));
}

TEST(ReadNumber, NumbersAtTheIntLimitsAreGood)
{
    EXPECT_EQ(numbers_read("-2147483648 2147483647"), (Numbers{intMin, intMax}));
    EXPECT_EQ(numbers_read("2147483648 1\n-2147483649 1\n2"), (Numbers{intMax, intMin, 2}));
}

} // namespace

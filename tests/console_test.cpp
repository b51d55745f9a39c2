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

TEST(ReadNumber, BlankInputHasEnded)
{
    EXPECT_EQ(numbers_read(""), Numbers{});
    EXPECT_EQ(numbers_read(" \t\r\n\v\f\n"), Numbers{});
}

TEST(ReadNumber, GoodNumbersMayShareALine)
{
    EXPECT_EQ(numbers_read("3 3 0\n"), (Numbers{3, 3, 0}));
    EXPECT_EQ(numbers_read("+7\t-3\r\n42"), (Numbers{7, -3, 42}));
}

TEST(ReadNumber, EntryWithoutDigitsReadsZeroAndDropsItsLine)
{
    EXPECT_EQ(numbers_read("abc 5\n1\n"), (Numbers{0, 1}));
    EXPECT_EQ(numbers_read("12abc 5\r\n4"), (Numbers{12, 0, 4}));
    EXPECT_EQ(numbers_read("-\n8\nxyz"), (Numbers{0, 8, 0}));
}

TEST(ReadNumber, NumberBeyondRangeReadsTheLimitAndDropsItsLine)
{
    EXPECT_EQ(numbers_read("99999999999 3\n2\n"), (Numbers{intMax, 2}));
    EXPECT_EQ(numbers_read("-99999999999\n-2147483648 2147483647"),
              (Numbers{intMin, intMin, intMax}));
}

} // namespace

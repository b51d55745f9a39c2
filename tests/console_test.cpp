#include "console/console.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int intMax = std::numeric_limits<int>::max();
constexpr int intMin = std::numeric_limits<int>::min();

// Every value the reader gives for `input`, until it reports ended input.
std::vector<int> numbers_read(const std::string& input)
{
    std::istringstream in(input);
    std::vector<int> numbers;
    // Each read consumes input or ends it, so this cannot spin; the cap only
    // turns a broken reader into a failure instead of a hang.
    while (numbers.size() <= input.size()) {
        const std::optional<int> number = console::read_number(in);
        if (!number) {
            return numbers;
        }
        numbers.push_back(*number);
    }
    ADD_FAILURE() << "the reader never reported the end of input";
    return numbers;
}

using Numbers = std::vector<int>;

TEST(ReadNumber, EmptyOrBlankInputHasEnded)
{
    EXPECT_EQ(numbers_read(""), Numbers{});
    EXPECT_EQ(numbers_read(" \t\r\n\v\f\n"), Numbers{});
}

TEST(ReadNumber, GoodNumbersShareALine)
{
    EXPECT_EQ(numbers_read("3 3 0\n"), (Numbers{3, 3, 0}));
    EXPECT_EQ(numbers_read("+7\t-3\n42"), (Numbers{7, -3, 42}));
    EXPECT_EQ(numbers_read("1\r\n2\r\n"), (Numbers{1, 2}));
}

TEST(ReadNumber, EntryWithoutDigitsReadsZeroAndDropsItsLine)
{
    EXPECT_EQ(numbers_read("abc 5\n1\n"), (Numbers{0, 1}));
    EXPECT_EQ(numbers_read("12abc 5\r\n4"), (Numbers{12, 0, 4}));
    EXPECT_EQ(numbers_read("-\n8\n"), (Numbers{0, 8}));
    EXPECT_EQ(numbers_read("xyz"), Numbers{0});
}

TEST(ReadNumber, NumberBeyondRangeReadsTheLimitAndDropsItsLine)
{
    EXPECT_EQ(numbers_read("99999999999 3\n2\n"), (Numbers{intMax, 2}));
    EXPECT_EQ(numbers_read("-99999999999\n-2147483648 2147483647"),
              (Numbers{intMin, intMin, intMax}));
}

} // namespace

#pragma once

#include <iosfwd>
#include <optional>
#include <string_view>

namespace console {

inline constexpr std::string_view separator =
    "- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - -";

// Reads the next whole number typed by the player, or nothing once there is no
// next number: input has ended or cannot be read, or the output tied to `in`
// has failed, so the player cannot see what is asked. An entry that is not a
// number reads as 0, one beyond the range of an int as the nearest limit;
// either way the rest of its line is dropped, so the next read waits for a
// fresh line instead of failing again.
std::optional<int> read_number(std::istream& in);

// Tells `errors` what kept the game from reading `in` or writing `out`, one
// line each in the words of the C library, and returns the exit status: 1 if
// anything failed, 0 otherwise. Flushes `out` first, so the last lines count.
int report_failures(std::istream& in, std::ostream& out, std::ostream& errors);

} // namespace console

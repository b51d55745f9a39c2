#pragma once

#include <iosfwd>
#include <optional>
#include <string_view>

namespace console {

inline constexpr std::string_view separator =
    "- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - -";

// Reads the next whole number typed by the player, or nothing once input has
// ended. An entry that is not a number reads as 0, one beyond the range of an
// int as the nearest limit; either way the rest of its line is dropped, so the
// next read waits for a fresh line instead of failing again.
std::optional<int> read_number(std::istream& in);

} // namespace console

#include "console/console.hpp"

#include <istream>
#include <limits>

namespace console {

std::optional<int> read_number(std::istream& in)
{
    if (!(in >> std::ws) || in.eof()) {
        return std::nullopt;
    }
    int value = 0;
    if (!(in >> value)) {
        in.clear();
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return value;
}

} // namespace console

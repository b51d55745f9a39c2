#include "console/console.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <limits>
#include <ostream>
#include <string>

namespace console {

namespace {

// Each stream keeps the C library's reason for its first failure from the
// moment it is seen until the report, as later calls may change errno.
const int reasonSlot = std::ios_base::xalloc();

void note_failure(std::ios_base& stream)
{
    if (stream.iword(reasonSlot) == 0) {
        stream.iword(reasonSlot) = errno;
    }
}

void report(std::ios_base& stream, std::string_view what, std::ostream& errors)
{
    std::string line = "moon-survival: cannot ";
    line += what;
    if (const long reason = stream.iword(reasonSlot); reason != 0) {
        line += ": ";
        line += std::strerror(static_cast<int>(reason));
    }
    errors << line + '\n' << std::flush;
}

} // namespace

std::optional<int> read_number(std::istream& in)
{
    if (std::ostream* const prompt = in.tie(); prompt != nullptr && !prompt->flush()) {
        note_failure(*prompt);
        return std::nullopt;
    }
    std::optional<int> number;
    if (in >> std::ws && !in.eof()) {
        int value = 0;
        if (!(in >> value) && !in.bad()) {
            in.clear();
            in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        }
        number = value;
    }
    if (in.bad()) {
        note_failure(in);
        return std::nullopt;
    }
    return number;
}

int report_failures(std::istream& in, std::ostream& out, std::ostream& errors)
{
    const bool readFailed = in.bad();
    const bool writeFailed = !out.flush();
    if (readFailed) {
        report(in, "read standard input", errors);
    }
    if (writeFailed) {
        note_failure(out);
        report(out, "write to standard output", errors);
    }
    return readFailed || writeFailed ? EXIT_FAILURE : EXIT_SUCCESS;
}

} // namespace console

// libFuzzer target: plays one whole game with the fuzzer's bytes as standard
// input and throws the output away. Every read consumes input or finds it
// ended, so a run lasts at most as many turns as the input has bytes; one that
// runs long is a bug.
#include "game/game.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>

namespace {

class DiscardBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char_type* /*text*/, std::streamsize count) override
    {
        return count;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    DiscardBuffer discard;
    std::streambuf* const previousInput = std::cin.rdbuf(input.rdbuf());
    std::streambuf* const previousOutput = std::cout.rdbuf(&discard);
    std::cin.clear();
    std::cout.clear();
    // Each run meets the draws of a game that nothing has seeded.
    std::srand(1);

    Game gra("Astronauta");
    gra.start_game();

    std::cin.rdbuf(previousInput);
    std::cout.rdbuf(previousOutput);
    return 0;
}

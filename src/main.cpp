#include "console/console.hpp"
#include "game/game.hpp"

#include <iostream>

int main()
{
    // Unshared from C's stdio, the console streams tell a read error from the
    // end of input.
    std::ios::sync_with_stdio(false);

    Game gra("Astronauta");
    gra.start_game();
    return console::report_failures(std::cin, std::cout, std::cerr);
}

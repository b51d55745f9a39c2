#include "game/game.hpp"

int main()
{
    Game gra("Astronauta");
    gra.start_game();
    return 0;
}

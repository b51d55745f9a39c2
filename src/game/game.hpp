#pragma once

#include "character/entity.hpp"
#include "character/player.hpp"

#include <string>

// One run of the game: the greeting, the main menu and everything it leads to.
class Game {
public:
    explicit Game(std::string playerName);

    void print_main_menu() const;
    void start_game();
    void search_resources();
    void start_combat();

private:
    static constexpr int searchOxygenCost = 5;
    static constexpr int tankOxygenGain = 7;
    static constexpr int depositMetalGain = 5;
    static constexpr int killMetalGain = 9;
    static constexpr int fleeOxygenCost = 5;

    void print_combat_screen(const Entity& enemy) const;
    bool strike(Entity& enemy);
    void flee();
    [[nodiscard]] bool build_ship() const;

    Player player;
};

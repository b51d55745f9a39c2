#pragma once

#include "character/entity.hpp"

#include <string>

// The survivor: an entity that also gathers metal and breathes oxygen.
class Player : public Entity {
public:
    static constexpr int metalForShip = 50;
    static constexpr int fullOxygen = 100;
    static constexpr int restOxygenCost = 2;
    static constexpr int restHealthGain = 5;

    Player();
    explicit Player(std::string playerName);

    [[nodiscard]] int get_metal() const;
    [[nodiscard]] int get_oxygen() const;

    void lower_oxygen(int value);
    void add_oxygen(int value);
    void add_metal(int value);

    void rest();
    void display_player_info() const;

private:
    int metal = 0;
    int oxygen = fullOxygen;
};

#include "character/player.hpp"

#include "console/console.hpp"

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <limits>
#include <utility>

namespace {

// Oxygen has no floor and metal no ceiling in the rules, but a long enough
// game must not wrap around: both stop at the limits of an int.
int saturated(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

} // namespace

Player::Player() : Entity("Zdzislaw")
{
}

Player::Player(std::string playerName) : Entity(std::move(playerName))
{
}

int Player::get_metal() const
{
    return metal;
}

int Player::get_oxygen() const
{
    return oxygen;
}

void Player::lower_oxygen(int value)
{
    oxygen = saturated(std::int64_t{oxygen} - value);
}

void Player::add_oxygen(int value)
{
    oxygen = saturated(std::min<std::int64_t>(std::int64_t{oxygen} + value, fullOxygen));
}

void Player::add_metal(int value)
{
    metal = saturated(std::int64_t{metal} + value);
}

void Player::rest()
{
    std::cout << get_name() << " odpoczywa. Zuzycie 2% tlenu" << std::endl;
    std::cout << std::endl;
    lower_oxygen(restOxygenCost);
    add_health(restHealthGain);
}

void Player::display_player_info() const
{
    std::cout << std::endl;
    std::cout << "Stan Gracza" << std::endl;
    std::cout << console::separator << std::endl;
    std::cout << "Zycie: " << get_health() << "/" << get_max_health() << std::endl;
    std::cout << "Atak: " << get_damage() << std::endl;
    std::cout << "Tlen: " << oxygen << "%" << std::endl;
    std::cout << "Metal: " << metal << "/" << metalForShip << std::endl;
}

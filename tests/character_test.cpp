#include "character/player.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace {

constexpr int intMax = std::numeric_limits<int>::max();
constexpr int intMin = std::numeric_limits<int>::min();

Entity entity_at_health(int health)
{
    Entity entity("Kosmita");
    entity.lower_health(Entity::startingHealth - health);
    return entity;
}

TEST(Entity, LowerHealthStopsAtZero)
{
    for (const auto& [value, expected] : {std::pair{5, 0}, {3, 0}, {2, 1}}) {
        Entity entity = entity_at_health(3);
        entity.lower_health(value);
        EXPECT_EQ(entity.get_health(), expected) << "health 3 lowered by " << value;
    }
}

TEST(Entity, AddHealthStopsAtTheMaximum)
{
    for (const auto& [health, expected] : {std::pair{18, 21}, {10, 15}, {21, 21}}) {
        Entity entity = entity_at_health(health);
        entity.add_health(5);
        EXPECT_EQ(entity.get_health(), expected) << "health " << health << " raised by 5";
    }
}

TEST(Player, AddOxygenStopsAtAHundred)
{
    for (const auto& [oxygen, expected] : {std::pair{95, 100}, {93, 100}, {92, 99}, {100, 100}}) {
        Player player("Astronauta");
        player.lower_oxygen(Player::fullOxygen - oxygen);
        player.add_oxygen(7);
        EXPECT_EQ(player.get_oxygen(), expected) << "oxygen " << oxygen << " raised by 7";
    }
}

TEST(Player, OxygenAndMetalHaveNoBoundsButTheIntLimits)
{
    Player player("Astronauta");
    player.lower_oxygen(103);
    player.add_metal(54);
    EXPECT_EQ(player.get_oxygen(), -3);
    EXPECT_EQ(player.get_metal(), 54);

    player.lower_oxygen(intMax);
    player.lower_oxygen(5);
    player.add_metal(intMax);
    player.add_metal(9);
    EXPECT_EQ(player.get_oxygen(), intMin);
    EXPECT_EQ(player.get_metal(), intMax);

    player.add_oxygen(7);
    EXPECT_EQ(player.get_oxygen(), intMin + 7);
}

} // namespace

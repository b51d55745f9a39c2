#include "character/entity.hpp"
#include "character/player.hpp"

#include <gtest/gtest.h>

#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <utility>

namespace {

constexpr int intMax = std::numeric_limits<int>::max();
constexpr int intMin = std::numeric_limits<int>::min();

Entity entity_at_health(int health)
{
    Entity entity("Kosmita");
    entity.lower_health(entity.get_max_health() - health);
    return entity;
}

Player player_at_oxygen(int oxygen)
{
    Player player("Astronauta");
    player.lower_oxygen(player.get_oxygen() - oxygen);
    return player;
}

// Captures what the game writes to standard output while it is alive.
class CapturedOutput {
public:
    CapturedOutput() : previous(std::cout.rdbuf(buffer.rdbuf())) {}
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;
    ~CapturedOutput() { std::cout.rdbuf(previous); }
    [[nodiscard]] std::string text() const { return buffer.str(); }

private:
    std::ostringstream buffer;
    std::streambuf* previous;
};

TEST(Entity, StartsWithTheFixedNumbers)
{
    const Entity entity("Kosmita");
    EXPECT_EQ(entity.get_name(), "Kosmita");
    EXPECT_EQ(entity.get_health(), 21);
    EXPECT_EQ(entity.get_max_health(), 21);
    EXPECT_EQ(entity.get_damage(), 4);
}

TEST(Entity, LowerHealthStopsAtZero)
{
    auto lowered = [](int health, int value) {
        Entity entity = entity_at_health(health);
        entity.lower_health(value);
        return entity.get_health();
    };
    EXPECT_EQ(lowered(3, 5), 0);
    EXPECT_EQ(lowered(3, 3), 0);
    EXPECT_EQ(lowered(3, 2), 1);
    EXPECT_EQ(lowered(0, 4), 0);
}

TEST(Entity, AddHealthStopsAtMaximum)
{
    auto raised = [](int health, int value) {
        Entity entity = entity_at_health(health);
        entity.add_health(value);
        return entity.get_health();
    };
    EXPECT_EQ(raised(18, 5), 21);
    EXPECT_EQ(raised(10, 5), 15);
    EXPECT_EQ(raised(21, 5), 21);
}

TEST(Entity, GivesOutACopyOfItsName)
{
    const Entity entity("Kosmita");
    std::string name = entity.get_name();
    name += "!";
    EXPECT_EQ(name, "Kosmita!");
    EXPECT_EQ(entity.get_name(), "Kosmita");
}

TEST(Player, StartsWithFullOxygenAndNoMetal)
{
    const Player player("Astronauta");
    EXPECT_EQ(player.get_name(), "Astronauta");
    EXPECT_EQ(player.get_health(), 21);
    EXPECT_EQ(player.get_metal(), 0);
    EXPECT_EQ(player.get_oxygen(), 100);
}

TEST(Player, AddOxygenStopsAtAHundred)
{
    auto raised = [](int oxygen) {
        Player player = player_at_oxygen(oxygen);
        player.add_oxygen(7);
        return player.get_oxygen();
    };
    EXPECT_EQ(raised(95), 100);
    EXPECT_EQ(raised(93), 100);
    EXPECT_EQ(raised(92), 99);
    EXPECT_EQ(raised(100), 100);
    EXPECT_EQ(raised(-10), -3);
}

TEST(Player, OxygenFallsBelowZeroButStopsAtTheIntLimit)
{
    Player player = player_at_oxygen(3);
    player.lower_oxygen(5);
    EXPECT_EQ(player.get_oxygen(), -2);

    player.lower_oxygen(intMax);
    player.lower_oxygen(intMax);
    EXPECT_EQ(player.get_oxygen(), intMin);
    player.add_oxygen(7);
    EXPECT_EQ(player.get_oxygen(), intMin + 7);
}

TEST(Player, MetalPassesTheGoalButStopsAtTheIntLimit)
{
    Player player("Astronauta");
    player.add_metal(45);
    player.add_metal(9);
    EXPECT_EQ(player.get_metal(), 54);

    player.add_metal(intMax);
    player.add_metal(9);
    EXPECT_EQ(player.get_metal(), intMax);
}

TEST(Player, RestCostsOxygenAndHealsUpToTheMaximum)
{
    const CapturedOutput output;
    Player player("Astronauta");
    player.rest();
    EXPECT_EQ(player.get_health(), 21);
    EXPECT_EQ(player.get_oxygen(), 98);

    player.lower_health(7);
    player.rest();
    EXPECT_EQ(player.get_health(), 19);

    player.lower_oxygen(95);
    player.rest();
    EXPECT_EQ(player.get_health(), 21);
    EXPECT_EQ(player.get_oxygen(), -1);

    const std::string line = "Astronauta odpoczywa. Zuzycie 2% tlenu\n\n";
    EXPECT_EQ(output.text(), line + line + line);
}

TEST(Player, MoveAssignmentTakesEverything)
{
    Player source("Astronauta");
    source.lower_health(4);
    source.add_metal(5);
    source.lower_oxygen(5);

    Player player;
    player = std::move(source);
    EXPECT_EQ(player.get_name(), "Astronauta");
    EXPECT_EQ(player.get_health(), 17);
    EXPECT_EQ(player.get_max_health(), 21);
    EXPECT_EQ(player.get_damage(), 4);
    EXPECT_EQ(player.get_metal(), 5);
    EXPECT_EQ(player.get_oxygen(), 95);
}

} // namespace

#pragma once

#include <string>

// A named combatant: the survivor's base and the whole of an alien.
class Entity {
public:
    static constexpr int startingHealth = 21;
    static constexpr int startingDamage = 4;

    explicit Entity(std::string entityName);

    [[nodiscard]] std::string get_name() const;
    [[nodiscard]] int get_health() const;
    [[nodiscard]] int get_max_health() const;
    [[nodiscard]] int get_damage() const;

    void lower_health(int value);
    void add_health(int value);

private:
    std::string name;
    int maxHealth = startingHealth;
    int health = startingHealth;
    // Carried along and copied, but never read: the strength that counts is damage.
    [[maybe_unused]] int attack = 0;
    int damage = startingDamage;
};

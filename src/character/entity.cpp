#include "character/entity.hpp"

#include <utility>

Entity::Entity(std::string entityName) : name(std::move(entityName))
{
}

std::string Entity::get_name() const
{
    return name;
}

int Entity::get_health() const
{
    return health;
}

int Entity::get_max_health() const
{
    return maxHealth;
}

int Entity::get_damage() const
{
    return damage;
}

void Entity::lower_health(int value)
{
    health -= value;
    if (health < 0) {
        health = 0;
    }
}

void Entity::add_health(int value)
{
    health += value;
    if (health > maxHealth) {
        health = maxHealth;
    }
}

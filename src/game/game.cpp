#include "game/game.hpp"

#include "console/console.hpp"

#include <cstdlib>
#include <iostream>
#include <optional>
#include <utility>

namespace {

enum MenuChoice {
    quitChoice = 0,
    statusChoice = 1,
    restChoice = 2,
    searchChoice = 3,
    buildChoice = 4
};
enum CombatChoice { attackChoice = 1, fleeChoice = 2 };
enum Encounter { oxygenTank = 0, metalDeposit = 1, alien = 2, encounterCount = 3 };

} // namespace

Game::Game(std::string playerName)
{
    // The survivor starts as the default player and is then replaced whole by
    // the named one.
    // cppcheck-suppress useInitializationList
    player = Player(std::move(playerName));
    std::cout << player.get_name() << std::endl;
}

void Game::print_main_menu() const
{
    std::cout << "Co chcesz zrobic?" << std::endl;
    std::cout << console::separator << std::endl;
    std::cout << "[1] - Sprawdz swoj stan" << std::endl;
    std::cout << "[2] - Odpocznij" << std::endl;
    std::cout << "[3] - Szukaj zasobow" << std::endl;
    if (player.get_metal() >= Player::metalForShip) {
        std::cout << "[4] - Zbuduj statek" << std::endl;
    }
    std::cout << "[0] - Wyjdz z gry" << std::endl;
}

void Game::start_game()
{
    std::cout << console::separator << std::endl;
    std::cout << "Jesteś na ksiezycu, przetrwaj i zdobadz surowce na statek do domu" << std::endl;
    std::cout << "Powodzenia " << player.get_name() << "!" << std::endl;

    bool gameRunning = true;
    while (gameRunning) {
        print_main_menu();
        std::cout << "Wpisz numer: " << std::flush;
        // Once input has ended there is nothing more to play: leave as [0] does.
        const int playerChoice = console::read_number(std::cin).value_or(quitChoice);
        std::cout << std::endl;

        switch (playerChoice) {
        case statusChoice:
            player.display_player_info();
            break;
        case restChoice:
            player.rest();
            break;
        case searchChoice:
            search_resources();
            if (player.get_health() <= 0) {
                std::cout << "Gracz przegrywa!" << std::endl;
                gameRunning = false;
            }
            break;
        case buildChoice:
            gameRunning = !build_ship();
            break;
        case quitChoice:
            std::cout << "Koniec gry" << std::endl;
            gameRunning = false;
            break;
        default:
            break;
        }
    }
}

// Returns whether the ship was built, which wins the game.
bool Game::build_ship() const
{
    if (player.get_metal() < Player::metalForShip) {
        std::cout << "Ta opcja nie jest dostepna :)" << std::endl;
        return false;
    }
    std::cout << "Zbudowales statek i powrociles do domu" << std::endl;
    std::cout << "Gra wygrana" << std::endl;
    return true;
}

void Game::search_resources()
{
    std::cout << std::endl;
    std::cout << player.get_name() << " wybiera sie szukac metalu. Zuzycie 5% tlenu." << std::endl;
    player.lower_oxygen(searchOxygenCost);
    std::cout << console::separator << std::endl;

    const int encounter = std::rand() % encounterCount;
    switch (encounter) {
    case oxygenTank:
        std::cout << "Gratulacje, Znalazles zbiornik tlenu" << std::endl;
        std::cout << "Zasob tlenu zwiekszony o 7%" << std::endl;
        std::cout << std::endl;
        player.add_oxygen(tankOxygenGain);
        break;
    case metalDeposit:
        std::cout << "Natrafiles na zloze metalu" << std::endl;
        std::cout << "Metal + 5" << std::endl;
        std::cout << std::endl;
        player.add_metal(depositMetalGain);
        break;
    case alien:
        std::cout << "Natrafiles na kosmite, musisz z nim walczyc" << std::endl;
        start_combat();
        break;
    }
}

void Game::start_combat()
{
    Entity enemy("Kosmita");
    bool combatRunning = true;
    while (combatRunning) {
        print_combat_screen(enemy);
        const std::optional<int> choice = console::read_number(std::cin);
        if (!choice) {
            // Input has ended: leave the fight as it stands, nothing spent.
            combatRunning = false;
        } else if (*choice == attackChoice) {
            combatRunning = strike(enemy);
        } else if (*choice == fleeChoice) {
            flee();
            combatRunning = false;
        } else {
            std::cout << "Mozesz wybrac tylko 1 lub 2 :)" << std::endl;
        }
    }
}

void Game::print_combat_screen(const Entity& enemy) const
{
    std::cout << std::endl;
    std::cout << "Co chcesz zrobic?" << std::endl;
    std::cout << console::separator << std::endl;
    std::cout << "Twoje zycie: " << player.get_health() << std::endl;
    std::cout << "Zycie przeciwnika: " << enemy.get_health() << std::endl;
    std::cout << console::separator << std::endl;
    std::cout << "[1] - Atakuj" << std::endl;
    std::cout << "[2] - Uciekaj" << std::endl;
    std::cout << "Wpisz numer: " << std::endl;
}

// One exchange of blows: the survivor strikes first, and the alien answers if
// it still lives. Returns whether the fight goes on.
bool Game::strike(Entity& enemy)
{
    const int playerDamage = std::rand() % player.get_damage() + 1;
    enemy.lower_health(playerDamage);
    std::cout << "Zadales przeciwnikowi " << playerDamage << " obrazen" << std::endl;
    if (enemy.get_health() <= 0) {
        std::cout << "Zabiles przeciwnika!" << std::endl;
        std::cout << "Znajdujesz 9 Metalu!" << std::endl;
        player.add_metal(killMetalGain);
        return false;
    }

    const int enemyDamage = std::rand() % enemy.get_damage() + 1;
    player.lower_health(enemyDamage);
    std::cout << "Kosmita zadal ci " << enemyDamage << " obrazen" << std::endl;
    if (player.get_health() <= 0) {
        std::cout << "Przegrywasz! Koniec walki!" << std::endl;
        return false;
    }
    return true;
}

void Game::flee()
{
    std::cout << "Uciekasz! Tracisz 5% Tlenu" << std::endl;
    player.lower_oxygen(fleeOxygenCost);
}

#include "MySim.h"

#include <cassert>
#include <iostream>

#include "BodyKinds.h"
#include "Circle.h"
#include "Engine.h"
#include "P2SightComp.h"
#include "Poly.h"
#include "TextureManager.h"
#include "WindowSystem.h"

MySim::MySim()
{
    std::cout << "der init" << std::endl;
    hud->p1Health = &p1Health;
    hud->p2Health = &p2Health;
    hud->p1Score = &p1Score;
    hud->p2Score = &p2Score;
    spawnPoints.emplace_back(-725.0f, 0.0f);
    spawnPoints.emplace_back(725.0f, 0.0f);
}

void MySim::init()
{
    auto* player1 = new Circle(Vec2(-260.0f, 0.0f), 15.0f, 5, texture("dcircle"), kPlayer1Kind);
    objects["player1"] = player1;
    auto* player2 = new Circle(Vec2(260.0f, 0.0f), 15.0f, 4, texture("p2"), kPlayer2Kind);
    objects["player2"] = player2;
    // One unit wide, from player 2's centre straight up to y = 1000 until the first tick recasts it.
    auto* sight = new Poly(Vec2(260.0f, 500.0f), 30, 0.8f, texture("white"), kSightKind,
                           {{-0.5f, 500.0f}, {0.5f, 500.0f}, {0.5f, -500.0f}, {-0.5f, -500.0f}});
    objects["p2sight"] = sight;
    addComponent(new P2SightComp(player2, &objects), "player2", "sight");
    // The sight is recast along the aim every tick; turning it with the player would only skew it.
    sight->rotationFollow = 0.0f;
    player2->children.push_back(sight);
    buildLevel();
    sortDrawList();
    gEngine->window->warpPointer(gEngine->centreX, gEngine->centreY);
}

void MySim::update()
{
    --bullet1Life;
    --p1FireCooldown;
    --p2FireCooldown;
    if (bullet1Life < 0) removeObject("bullet1");
    handleInput();
    if (p2Health > 0) controlPlayer2();
    // Steering measures the pointer's offset from the centre, so each tick starts from there.
    if (captureMouse) gEngine->window->warpPointer(gEngine->centreX, gEngine->centreY);
    resolveContacts();
    followPlayersWithCamera();
    advanceDeathCycle(1);
    advanceDeathCycle(2);
}

GameObject* MySim::bodyNamed(const std::string& name) const
{
    const auto found = objects.find(name);
    assert(found != objects.end() && "the players live for the whole run");
    return found != objects.end() ? found->second : nullptr;
}

std::uint32_t MySim::texture(const std::string& name) const { return gEngine->textures->getTexture(name); }

#include "MySim.h"

#include <cassert>

#include "Circle.h"
#include "Fnv.h"
#include "P2SightComp.h"
#include "Poly.h"
#include "Rules.h"
#include "WindowSystem.h"

MySim::MySim(std::ostream& console) : SimulationManager(console)
{
    console << "der init" << std::endl;
    hud->p1Health = &p1Health;
    hud->p2Health = &p2Health;
    hud->p1Score = &p1Score;
    hud->p2Score = &p2Score;
}

MySim::~MySim() = default;

void MySim::init()
{
    using namespace rules;
    auto* player1 = new Circle(kPlayer1Start, kPlayerRadius, 5, textureNamed("dcircle"), kPlayer1Kind);
    registerBody(kPlayer1Name, player1);
    auto* player2 = new Circle(kPlayer2Start, kPlayerRadius, 4, textureNamed("p2"), kPlayer2Kind);
    registerBody(kPlayer2Name, player2);
    // A full-length beam from player 2's centre straight up until the first tick recasts it.
    const float halfWidth = kBeamWidth * 0.5f;
    const float halfLength = kRayLength * 0.5f;
    auto* sight = new Poly(
        kPlayer2Start + Vec2(0.0f, halfLength), 30, 0.8f, textureNamed("white"), kSightKind,
        {{-halfWidth, halfLength}, {halfWidth, halfLength}, {halfWidth, -halfLength}, {-halfWidth, -halfLength}});
    registerBody(kSightName, sight);
    addComponent(new P2SightComp(newComponentId(), player2, &player2Aim, &objects), kPlayer2Name, kSightComponent);
    // The sight is recast along the aim every tick; turning it with the player would only skew it.
    sight->rotationFollow = 0.0f;
    player2->children.push_back(sight);
    buildLevel();
    sortDrawList();
    if (window != nullptr) window->centrePointer();
}

void MySim::update()
{
    --bullet1Life;
    --p1FireCooldown;
    --p2FireCooldown;
    if (bullet1Life < 0) removeObject(rules::kBallName);
    handleInput();
    if (p2Health > 0) controlPlayer2();
    // Steering measures the pointer's offset from the centre, so each tick starts from there.
    if (captureMouse && window != nullptr) window->centrePointer();
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

MatchSnapshot MySim::save() const { return {saveWorld(), *this}; }

void MySim::restore(const MatchSnapshot& snapshot)
{
    restoreWorld(snapshot.world);
    static_cast<MatchState&>(*this) = snapshot.state;
}

std::uint64_t MySim::checksum() const
{
    Fnv digest;
    for (const auto& [name, body] : objects) {
        digest.addText(name);
        if (body == nullptr) continue;
        const Vec2 position = body->getPosition();
        digest.addValue(position.x);
        digest.addValue(position.y);
        digest.addValue(body->visible);
        digest.addValue(body->components.size());
    }
    for (const int value : {p1Health, p2Health, p1Score, p2Score, bullet1Life, p1FireCooldown, bullet2Count,
                            p2FireCooldown, p1DeadTicks, p2DeadTicks, p1ReturnTicks, p2ReturnTicks})
        digest.addValue(value);
    for (const float value : {player2Aim.x, player2Aim.y, player2PrevAim.x, player2PrevAim.y}) digest.addValue(value);
    digest.addValue(captureMouse);
    digest.addValue(captureKeyWasHeld);
    digest.addValue(p1SpawnIndex);
    digest.addValue(p2SpawnIndex);
    digest.addValue(random);
    return digest.value;
}

#include "ScriptedMatch.h"

#include "GameObject.h"
#include "LocalSession.h"
#include "ReplaySession.h"

ScriptedMatch::ScriptedMatch(std::ostream& console, std::ostream* recording)
    : made(std::make_unique<LocalSession>(console, nullptr, nullptr, 0, recording)), session(*made), game(made->game())
{
    engine.window = &window;
    engine.setSession(std::move(made));
}

ScriptedMatch::ScriptedMatch(std::ostream& console, std::vector<TickInput> replay)
    : made(std::make_unique<ReplaySession>(console, std::move(replay))), session(*made), game(made->game())
{
    engine.window = &window;
    engine.setSession(std::move(made));
}

void ScriptedMatch::tick(int count)
{
    for (int i = 0; i < count; ++i) engine.updateTick();
}

GameObject* ScriptedMatch::body(const std::string& name) const
{
    const auto found = game.objects.find(name);
    return found != game.objects.end() ? found->second : nullptr;
}

Vec2 ScriptedMatch::position(const std::string& name) const { return body(name)->getPosition(); }

#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Engine.h"
#include "MatchInput.h"
#include "MatchSession.h"
#include "MenuManager.h"
#include "MySim.h"
#include "ScriptedWindow.h"

class GameObject;

// The real game behind a scripted window, run by an engine as the program runs it, minus the toolkit: a local
// match whose players are this machine's (scripted) keyboard and mouse, or a replay, its ticks stepped as the
// update timer steps them.
class ScriptedMatch {
public:
    // A local match; console gets its lines, and recording, if given, its replay file.
    explicit ScriptedMatch(std::ostream& console, std::ostream* recording = nullptr);
    // A replay of these ticks.
    ScriptedMatch(std::ostream& console, std::vector<TickInput> replay);

    // Builds the match: the engine begins its session.
    void init() { engine.beginSession(); }
    void tick(int count = 1);
    // The registered body of that name, or null.
    GameObject* body(const std::string& name) const;
    Vec2 position(const std::string& name) const;

private:
    // Made before the engine, as the program makes it, and handed to it at once.
    std::unique_ptr<MatchSession> made;

public:
    MenuManager menu;
    Engine engine{menu};
    ScriptedWindow window{engine};
    MatchSession& session;
    MySim& game;
};

#pragma once

#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <string>

#include "Component.h"
#include "Engine.h"
#include "GameObject.h"
#include "MenuManager.h"
#include "MySim.h"
#include "PlayerAim.h"
#include "ScriptedWindow.h"
#include "TextureManager.h"

// The real game behind a scripted window, built as main and Engine::run build it, minus the
// toolkit: ticks run exactly as the update timer runs them. Standard output is captured throughout;
// the game's globals make it one match at a time.
class Match {
public:
    Match()
    {
        engine->window = &window;
        // Distinct texture names, as if every image had loaded.
        const char* keys[] = {"reflected", "apple", "whitecircle", "dcircle", "white", "dsquare", "p2", "ball"};
        for (std::uint32_t name = 1; name <= 8; ++name) engine->textures->byName[keys[name - 1]] = name;
    }
    ~Match()
    {
        // The capture also swallowed the failure messages of the test; give them back.
        const std::string text = testing::internal::GetCapturedStdout();
        if (testing::Test::HasFailure()) std::cerr << text;
    }

    // What the game printed since the last call.
    std::string printed()
    {
        std::string text = testing::internal::GetCapturedStdout();
        if (testing::Test::HasFailure()) std::cerr << text;
        testing::internal::CaptureStdout();
        return text;
    }
    void init() { game->init(); }
    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) engine->updateTick();
    }
    GameObject* body(const std::string& name) const
    {
        const auto found = game->objects.find(name);
        return found != game->objects.end() ? found->second : nullptr;
    }
    Vec2 position(const std::string& name) const { return body(name)->getPosition(); }
    // Takes every wall and bound out, for shots that must fly undisturbed.
    void clearArena()
    {
        std::vector<std::string> walls;
        for (const auto& [name, other] : game->objects)
            if (other->kind == 3) walls.push_back(name);
        for (const std::string& name : walls) game->removeObject(name);
    }

private:
    // A fresh process as the program starts it: the first component is number 0, the unseeded
    // generator's sequence, player 2's aim at its start value. Output is captured from here on.
    static bool startFresh()
    {
        nextComponentId = 0;
        std::srand(1);
        player2Aim = Vec2(0.0f, 0.01f);
        player2PrevAim = Vec2(0.0f, 0.01f);
        testing::internal::CaptureStdout();
        return true;
    }
    bool fresh = startFresh();

public:
    MenuManager menu;
    std::unique_ptr<MySim> game = std::make_unique<MySim>();
    std::unique_ptr<Engine> engine = std::make_unique<Engine>(game.get(), &menu);
    ScriptedWindow window{*engine};
};

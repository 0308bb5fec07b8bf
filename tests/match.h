#pragma once

#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <string>

#include "Circle.h"
#include "Component.h"
#include "Engine.h"
#include "GameObject.h"
#include "MenuManager.h"
#include "MySim.h"
#include "PhysicsComp.h"
#include "ScriptedWindow.h"

// Vectors read as numbers in failure messages.
inline void PrintTo(const Vec2& v, std::ostream* out) { *out << "(" << v.x << ", " << v.y << ")"; }

inline void expectNear(const Vec2& actual, const Vec2& expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}
// The velocity a shot's "physics" component carries it at.
inline Vec2 velocityOf(const GameObject* shot)
{
    return static_cast<const PhysicsComp*>(shot->components.at("physics"))->velocity;
}
// Where the top edge of a disc's image faces, seen from its centre.
inline Vec2 facingOf(const GameObject* disc)
{
    const auto& corners = static_cast<const Circle*>(disc)->quad.corners;
    return normalised((corners[0] + corners[1]) * 0.5f - disc->getPosition());
}

// The real game behind a scripted window, built as main and Engine::run build it, minus the
// toolkit: ticks run exactly as the update timer runs them. Standard output is captured throughout.
class Match {
public:
    Match()
    {
        engine->window = &window;
        game->window = &window;
        // Every image loaded, under texture names that differ from their places in the load order.
        const char* keys[] = {"reflected", "apple", "whitecircle", "dcircle", "white", "dsquare", "p2", "ball"};
        for (std::uint32_t i = 0; i < 8; ++i) game->textureNames[keys[i]] = 11 + i;
    }
    ~Match()
    {
        ending = true;
        printed();
    }

    // What the game printed since the last call; the capture swallows failure messages too, so a
    // failing test gets them back on stderr.
    std::string printed()
    {
        std::string text = testing::internal::GetCapturedStdout();
        if (testing::Test::HasFailure()) std::cerr << text;
        if (!ending) testing::internal::CaptureStdout();
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

private:
    static bool startCapture()
    {
        testing::internal::CaptureStdout();
        return true;
    }
    bool capturing = startCapture();
    bool ending = false;

public:
    MenuManager menu;
    std::unique_ptr<MySim> game = std::make_unique<MySim>(std::cout);
    std::unique_ptr<Engine> engine = std::make_unique<Engine>(game.get(), &menu);
    ScriptedWindow window{*engine};
};

// A match built and past its start-up lines, for the tests that begin there.
struct MatchTest : testing::Test {
    MatchTest()
    {
        match.init();
        match.printed();
    }
    Match match;
    MySim& game = *match.game;
};

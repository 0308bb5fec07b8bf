#pragma once

#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "Circle.h"
#include "Component.h"
#include "GameObject.h"
#include "PhysicsComp.h"
#include "ScriptedMatch.h"
#include "TextureManager.h"

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

// Standard output captured from before anything of a Match is made.
struct CapturedStdout {
    CapturedStdout() { testing::internal::CaptureStdout(); }
};

// The scripted match for a test, with standard output captured throughout and every image "loaded", under
// texture names that differ from their places in the load order.
class Match : private CapturedStdout, public ScriptedMatch {
public:
    // A local match, recorded to recording if given.
    explicit Match(std::ostream* recording = nullptr) : ScriptedMatch(std::cout, recording) { nameTextures(); }
    // A replay of these ticks.
    explicit Match(std::vector<TickInput> replay) : ScriptedMatch(std::cout, std::move(replay)) { nameTextures(); }
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

private:
    void nameTextures()
    {
        const char* keys[] = {"reflected", "apple", "whitecircle", "dcircle", "white", "dsquare", "p2", "ball"};
        for (std::uint32_t i = 0; i < 8; ++i) engine.textures->byName[keys[i]] = 11 + i;
    }

    bool ending = false;
};

// A match built and past its start-up lines, for the tests that begin there.
struct MatchTest : testing::Test {
    MatchTest()
    {
        match.init();
        match.printed();
    }
    Match match;
    MySim& game = match.game;
};

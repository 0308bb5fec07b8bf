#pragma once

// A layer above the game with two hooks the engine calls after each pass; empty for now.
class MenuManager {
public:
    virtual ~MenuManager() = default;
    virtual void update() {}
    virtual void render() {}
};

#pragma once

#include "SimulationManager.h"

// The arena game: builds its world in init() and runs its rules in update().
class MySim : public SimulationManager {
public:
    // Prints "der init"; must not touch gEngine, which does not exist yet.
    MySim();

    void init() override;
    void update() override;
};

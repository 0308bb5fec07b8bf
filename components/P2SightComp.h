#pragma once

#include "Component.h"
#include "ObjectMap.h"
#include "Vec2.h"

class GameObject;

// Reshapes player 2's sight line every tick: a strip from the player's centre along its aim to the
// nearest wall edge, or the full ray length when no wall is in the way.
class P2SightComp : public Component {
public:
    // The sight polygon is body's first child; aim is player 2's aim, owned by the match.
    P2SightComp(int id, GameObject* body, const Vec2* aim, ObjectMap* objects);

    void update() override;
    std::unique_ptr<Component> clone(const BodyRelink& relink) const override;
    bool assignFrom(const Component& other, const BodyRelink& relink) override;

    // The player the sight belongs to; not owned.
    GameObject* body;
    // Only its direction matters.
    const Vec2* aim;
    // Searched for walls every tick.
    ObjectMap* objects;
};

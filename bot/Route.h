#pragma once

#include <utility>
#include <vector>

#include "ArenaMap.h"
#include "Vec2.h"

// How far it is to a goal around the walls: a shortest-path search over the points of the arena's
// clearance grid where a player fits, from the goal outwards. A search runs a slice at a time, so a
// tick never pays for a whole one; the last finished search answers meanwhile.
class RouteField {
public:
    // Points of the grid kept clear of the walls by room beyond radius.
    RouteField(const ArenaMap& arena, float radius, float room);

    // Starts a search towards goal, or queues it behind the one running.
    void aimFor(const Vec2& goal);
    // Runs the search on for at most this many points settled. It ends once it has settled every point
    // a little farther from the goal than from, where the one who asked stands: what lies beyond is
    // never walked on the way.
    void work(int budget, const Vec2& from);

    // Whether a search has finished, and its goal.
    bool ready() const { return hasField; }
    Vec2 goal() const { return fieldGoal; }
    // The route's length from point to the finished search's goal; the straight distance plus a
    // penalty from where no route is known, and the straight distance before any search has finished.
    float distance(const Vec2& point) const;
    // A point on the route from `from`, as far along as a straight line stays clear: where to head now.
    Vec2 waypoint(const Vec2& from) const;

    // Grid points per search point along each axis.
    static constexpr int kStride = 2;
    // How much farther than the asker the search settles (world units).
    static constexpr float kBeyond = 250.0f;

private:
    Vec2 place(int node) const;
    int nodeAt(int column, int row) const { return row * columns + column; }
    // Whether a disc of the radius goes straight from a to b, by the clearance along the way.
    bool straight(const Vec2& a, const Vec2& b) const;

    const ArenaMap& arena;
    float radius;
    Vec2 origin;
    float step = 0.0f;
    int columns = 0;
    int rows = 0;
    std::vector<char> open;
    std::vector<float> field;
    std::vector<float> building;
    // Settled distance and node, smallest first by std::push_heap with greater.
    std::vector<std::pair<float, int>> frontier;
    bool hasField = false;
    bool searching = false;
    bool queued = false;
    Vec2 fieldGoal;
    Vec2 searchGoal;
    Vec2 queuedGoal;
};

// Whether a player heading along a route is getting anywhere: the route must shorten now and then,
// unless it is already there.
class Progress {
public:
    // Ticks without getting nearer after which a goal is given up.
    static constexpr int kPatience = 120;

    // One tick's route length to the goal; true once it has not shortened for kPatience ticks.
    bool stalled(float distance);
    void reset()
    {
        best = 1e9f;
        ticks = 0;
    }

private:
    float best = 1e9f;
    int ticks = 0;
};

#pragma once

#include <vector>

#include "Bounds.h"
#include "Vec2.h"

// A wall as a player sees it: a convex polygon's corners in order, world units.
using WallOutline = std::vector<Vec2>;

// The arena's walls and how far any point lies from them. Walls never move, so the clearance at every
// point of a fine grid is worked out once, and the planners read it hundreds of times a tick.
class ArenaMap {
public:
    explicit ArenaMap(std::vector<WallOutline> walls);

    // Distance from point to the nearest wall, world units, negative inside one: read between the
    // grid's points, so within a unit or two of the exact value. Off the grid counts as inside a wall.
    float clearance(const Vec2& point) const
    {
        const float x = (point.x - origin.x) * (1.0f / kGridStep);
        const float y = (point.y - origin.y) * (1.0f / kGridStep);
        // Negated so that a NaN lands off the grid too.
        if (!(x >= 0.0f && y >= 0.0f && x < static_cast<float>(columns - 1) && y < static_cast<float>(rows - 1)))
            return kOffGrid;
        const int column = static_cast<int>(x);
        const int row = static_cast<int>(y);
        const float fx = x - static_cast<float>(column);
        const float fy = y - static_cast<float>(row);
        const float* low = &grid[static_cast<std::size_t>(row * columns + column)];
        const float* high = low + columns;
        const float below = low[0] + (low[1] - low[0]) * fx;
        const float above = high[0] + (high[1] - high[0]) * fx;
        return below + (above - below) * fy;
    }
    // The unit direction in which clearance grows fastest at point (zero where it is flat).
    Vec2 awayFromWalls(const Vec2& point) const;
    // Whether a disc of radius sliding straight from `from` to `to` stays clear of every wall, tested
    // exactly against the polygons.
    bool pathClear(const Vec2& from, const Vec2& to, float radius) const;
    // How far a disc of radius can go from `from` along the unit direction before it touches a wall, up
    // to limit.
    float reach(const Vec2& from, const Vec2& direction, float radius, float limit) const;
    // The exact distance from point to the nearest wall, negative inside one.
    float exactClearance(const Vec2& point) const;

    const std::vector<WallOutline>& walls() const { return outlines; }

    // The grid itself, for searches over it: point (column, row) lies at gridOrigin() + kGridStep *
    // (column, row), and its clearance is exact.
    Vec2 gridOrigin() const { return origin; }
    int gridColumns() const { return columns; }
    int gridRows() const { return rows; }
    float gridClearance(int column, int row) const { return grid[static_cast<std::size_t>(row * columns + column)]; }

    // World units between grid points.
    static constexpr float kGridStep = 10.0f;
    // The clearance reported off the grid.
    static constexpr float kOffGrid = -100.0f;

private:
    std::vector<WallOutline> outlines;
    std::vector<Aabb> boxes;
    // Grid point (column, row) lies at origin + kGridStep * (column, row).
    Vec2 origin;
    int columns = 0;
    int rows = 0;
    std::vector<float> grid;
};

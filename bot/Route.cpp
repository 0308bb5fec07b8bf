#include "Route.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace {
constexpr float kUnknown = std::numeric_limits<float>::infinity();
// Added to the straight distance from where no route is known (world units).
constexpr float kNoRoute = 400.0f;
// A goal that moved less than this keeps the field it has (world units).
constexpr float kSameGoal = 60.0f;
} // namespace

RouteField::RouteField(const ArenaMap& map, float discRadius, float room)
    : arena(map), radius(discRadius), origin(map.gridOrigin()), step(ArenaMap::kGridStep * kStride),
      columns((map.gridColumns() + kStride - 1) / kStride), rows((map.gridRows() + kStride - 1) / kStride)
{
    const std::size_t count = static_cast<std::size_t>(columns * rows);
    open.assign(count, 0);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            open[static_cast<std::size_t>(nodeAt(column, row))] =
                map.gridClearance(column * kStride, row * kStride) >= radius + room ? 1 : 0;
    field.assign(count, kUnknown);
    building.assign(count, kUnknown);
    frontier.reserve(count);
}

Vec2 RouteField::place(int node) const
{
    return origin + Vec2(static_cast<float>(node % columns), static_cast<float>(node / columns)) * step;
}

void RouteField::aimFor(const Vec2& goal)
{
    if (searching) {
        queued = length(goal - searchGoal) > kSameGoal;
        queuedGoal = goal;
        return;
    }
    if (hasField && length(goal - fieldGoal) <= kSameGoal) return;
    searching = true;
    searchGoal = goal;
    std::fill(building.begin(), building.end(), kUnknown);
    frontier.clear();
    // The points around the goal start the search, each at its straight distance.
    const int column = static_cast<int>(std::floor((goal.x - origin.x) / step));
    const int row = static_cast<int>(std::floor((goal.y - origin.y) / step));
    for (int r = row - 1; r <= row + 2; ++r) {
        for (int c = column - 1; c <= column + 2; ++c) {
            if (c < 0 || r < 0 || c >= columns || r >= rows) continue;
            const int node = nodeAt(c, r);
            if (!open[static_cast<std::size_t>(node)]) continue;
            const float distance = length(place(node) - goal);
            building[static_cast<std::size_t>(node)] = distance;
            frontier.emplace_back(distance, node);
        }
    }
    std::make_heap(frontier.begin(), frontier.end(), std::greater<>());
}

void RouteField::work(int budget, const Vec2& from)
{
    const int fromColumn = static_cast<int>(std::lround((from.x - origin.x) / step));
    const int fromRow = static_cast<int>(std::lround((from.y - origin.y) / step));
    const bool onGrid = fromColumn >= 0 && fromRow >= 0 && fromColumn < columns && fromRow < rows;
    const float fromDistance = onGrid ? building[static_cast<std::size_t>(nodeAt(fromColumn, fromRow))] : kUnknown;
    static constexpr int kColumnStep[8] = {1, -1, 0, 0, 1, 1, -1, -1};
    static constexpr int kRowStep[8] = {0, 0, 1, -1, 1, -1, 1, -1};
    const float diagonal = step * 1.41421356f;
    while (searching && budget > 0) {
        if (frontier.empty() || frontier.front().first > fromDistance + kBeyond) {
            field.swap(building);
            fieldGoal = searchGoal;
            hasField = true;
            searching = false;
            if (queued) {
                queued = false;
                aimFor(queuedGoal);
            }
            return;
        }
        std::pop_heap(frontier.begin(), frontier.end(), std::greater<>());
        const auto [distance, node] = frontier.back();
        frontier.pop_back();
        if (distance > building[static_cast<std::size_t>(node)]) continue;
        --budget;
        const int column = node % columns;
        const int row = node / columns;
        for (int way = 0; way < 8; ++way) {
            const int c = column + kColumnStep[way];
            const int r = row + kRowStep[way];
            if (c < 0 || r < 0 || c >= columns || r >= rows) continue;
            const int next = nodeAt(c, r);
            if (!open[static_cast<std::size_t>(next)]) continue;
            // No cutting a corner between two points where a player does not fit.
            if (way >= 4 &&
                (!open[static_cast<std::size_t>(nodeAt(c, row))] || !open[static_cast<std::size_t>(nodeAt(column, r))]))
                continue;
            const float through = distance + (way < 4 ? step : diagonal);
            if (through < building[static_cast<std::size_t>(next)]) {
                building[static_cast<std::size_t>(next)] = through;
                frontier.emplace_back(through, next);
                std::push_heap(frontier.begin(), frontier.end(), std::greater<>());
            }
        }
    }
}

float RouteField::distance(const Vec2& point) const
{
    if (!hasField) return length(point - (searching ? searchGoal : Vec2()));
    const float x = (point.x - origin.x) / step;
    const float y = (point.y - origin.y) / step;
    float best = kUnknown;
    if (x >= 0.0f && y >= 0.0f && x < static_cast<float>(columns - 1) && y < static_cast<float>(rows - 1)) {
        const int column = static_cast<int>(x);
        const int row = static_cast<int>(y);
        for (int corner = 0; corner < 4; ++corner) {
            const int node = nodeAt(column + (corner & 1), row + (corner >> 1));
            const float known = field[static_cast<std::size_t>(node)];
            if (known < best) best = std::min(best, known + length(point - place(node)));
        }
    }
    return best < kUnknown ? best : length(point - fieldGoal) + kNoRoute;
}

bool RouteField::straight(const Vec2& a, const Vec2& b) const
{
    const float span = length(b - a);
    const int samples = static_cast<int>(span / ArenaMap::kGridStep) + 1;
    for (int i = 0; i <= samples; ++i) {
        if (arena.clearance(a + (b - a) * (static_cast<float>(i) / static_cast<float>(samples))) < radius) return false;
    }
    return true;
}

Vec2 RouteField::waypoint(const Vec2& from) const
{
    if (!hasField) return from;
    if (straight(from, fieldGoal)) return fieldGoal;
    // Down the field from the nearest known point, keeping the last point still in straight sight.
    const float x = (from.x - origin.x) / step;
    const float y = (from.y - origin.y) / step;
    int node = -1;
    float best = kUnknown;
    for (int corner = 0; corner < 9; ++corner) {
        const int c = static_cast<int>(std::lround(x)) + corner % 3 - 1;
        const int r = static_cast<int>(std::lround(y)) + corner / 3 - 1;
        if (c < 0 || r < 0 || c >= columns || r >= rows) continue;
        const float known = field[static_cast<std::size_t>(nodeAt(c, r))];
        if (known < kUnknown && known + length(from - place(nodeAt(c, r))) < best) {
            best = known + length(from - place(nodeAt(c, r)));
            node = nodeAt(c, r);
        }
    }
    if (node < 0) return fieldGoal;
    // The chain of points down the field, then the farthest of them in straight sight, found by halving.
    constexpr int kLongest = 16;
    int chain[kLongest + 1];
    int count = 0;
    chain[count++] = node;
    while (count <= kLongest) {
        const int column = node % columns;
        const int row = node / columns;
        int next = node;
        for (int way = 0; way < 9; ++way) {
            const int c = column + way % 3 - 1;
            const int r = row + way / 3 - 1;
            if (c < 0 || r < 0 || c >= columns || r >= rows) continue;
            if (field[static_cast<std::size_t>(nodeAt(c, r))] < field[static_cast<std::size_t>(next)])
                next = nodeAt(c, r);
        }
        if (next == node) break;
        node = next;
        chain[count++] = node;
    }
    int low = 0;
    int high = count - 1;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (straight(from, place(chain[middle])))
            low = middle;
        else
            high = middle - 1;
    }
    return place(chain[low]);
}

bool Progress::stalled(float distance)
{
    // Nearer by this much counts as getting somewhere; within arrived, it is there; a goal that moved
    // this much farther away is a new one.
    constexpr float kNearer = 20.0f;
    constexpr float kArrived = 70.0f;
    constexpr float kMovedAway = 120.0f;
    if (distance < best - kNearer || distance < kArrived || distance > best + kMovedAway) {
        best = distance;
        ticks = 0;
        return false;
    }
    return ++ticks > kPatience;
}

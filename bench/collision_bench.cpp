#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <vector>

#include "Circle.h"
#include "Poly.h"

// Time per query through the bodies' virtual entry points, as the game calls them.
namespace {

constexpr float kTwoPi = 6.28318530718f;

// Regular polygon of the given vertex count and circumradius, counter-clockwise.
std::unique_ptr<Poly> makeRegularPolygon(const Vec2& centre, int count, float radius)
{
    std::vector<Vec2> vertices;
    for (int i = 0; i < count; ++i) {
        const float angle = kTwoPi * static_cast<float>(i) / static_cast<float>(count) + 0.3f;
        vertices.emplace_back(radius * std::cos(angle), radius * std::sin(angle));
    }
    return std::make_unique<Poly>(centre, 1, 1.0f, 0, 3, vertices);
}

std::unique_ptr<Circle> makeCircle(const Vec2& centre, float radius)
{
    return std::make_unique<Circle>(centre, radius, 1, 0, 0);
}

// Hit: the second body overlaps the first; miss: it lies well clear (found on the first axes).
Vec2 offsetFor(bool hit) { return hit ? Vec2(1.2f, 0.7f) : Vec2(9.0f, 6.0f); }

void runOverlap(benchmark::State& state, const GameObject& a, const GameObject& b, bool expected)
{
    if (a.collidesWith(&b) != expected) state.SkipWithError("unexpected answer");
    for (auto _ : state) {
        benchmark::DoNotOptimize(&a);
        benchmark::DoNotOptimize(&b);
        benchmark::DoNotOptimize(a.collidesWith(&b));
    }
}

void runMtv(benchmark::State& state, const GameObject& a, const GameObject& b, bool expected)
{
    Vec2 mtv;
    if (a.collisionMtv(&b, &mtv) != expected) state.SkipWithError("unexpected answer");
    for (auto _ : state) {
        benchmark::DoNotOptimize(&a);
        benchmark::DoNotOptimize(&b);
        benchmark::DoNotOptimize(a.collisionMtv(&b, &mtv));
        benchmark::DoNotOptimize(mtv);
    }
}

// state.range(0): 1 for a hit, 0 for a miss; state.range(1): 1 for collisionMtv.
void circleCircle(benchmark::State& state)
{
    const bool hit = state.range(0) != 0;
    const auto a = makeCircle(Vec2(), 2.0f);
    const auto b = makeCircle(offsetFor(hit), 1.5f);
    if (state.range(1) != 0) {
        runMtv(state, *a, *b, hit);
    } else {
        runOverlap(state, *a, *b, hit);
    }
}

template <int kVertices> void circlePolygon(benchmark::State& state)
{
    const bool hit = state.range(0) != 0;
    const auto circle = makeCircle(offsetFor(hit), 1.5f);
    const auto poly = makeRegularPolygon(Vec2(), kVertices, 2.0f);
    if (state.range(1) != 0) {
        runMtv(state, *circle, *poly, hit);
    } else {
        runOverlap(state, *circle, *poly, hit);
    }
}

void polygonPolygon(benchmark::State& state)
{
    const bool hit = state.range(0) != 0;
    const auto a = makeRegularPolygon(Vec2(), 4, 2.0f);
    const auto b = makeRegularPolygon(offsetFor(hit), 4, 1.5f);
    if (state.range(1) != 0) {
        runMtv(state, *a, *b, hit);
    } else {
        runOverlap(state, *a, *b, hit);
    }
}

void pairArguments(benchmark::internal::Benchmark* bench)
{
    bench->ArgNames({"hit", "mtv"});
    for (int mtv = 0; mtv <= 1; ++mtv) {
        for (int hit = 0; hit <= 1; ++hit) bench->Args({hit, mtv});
    }
}

} // namespace

BENCHMARK(circleCircle)->Apply(pairArguments);
BENCHMARK(circlePolygon<4>)->Apply(pairArguments);
BENCHMARK(circlePolygon<8>)->Apply(pairArguments);
BENCHMARK(polygonPolygon)->Apply(pairArguments);

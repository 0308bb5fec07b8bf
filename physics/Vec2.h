#pragma once

#include <cmath>

// A point or displacement in world units: single precision, y grows upwards.
struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;

    constexpr Vec2() = default;
    constexpr Vec2(float x, float y) : x(x), y(y) {}

    Vec2& operator+=(const Vec2& other)
    {
        x += other.x;
        y += other.y;
        return *this;
    }
    Vec2& operator-=(const Vec2& other)
    {
        x -= other.x;
        y -= other.y;
        return *this;
    }
    Vec2& operator*=(float scale)
    {
        x *= scale;
        y *= scale;
        return *this;
    }
};

inline Vec2 operator+(const Vec2& a, const Vec2& b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(const Vec2& a, const Vec2& b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator-(const Vec2& v) { return {-v.x, -v.y}; }
inline Vec2 operator*(const Vec2& v, float scale) { return {v.x * scale, v.y * scale}; }
inline Vec2 operator*(float scale, const Vec2& v) { return v * scale; }
inline bool operator==(const Vec2& a, const Vec2& b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(const Vec2& a, const Vec2& b) { return !(a == b); }

// Division multiplies by the reciprocal; dividing by zero gives the zero vector, never inf or NaN.
inline Vec2 operator/(const Vec2& v, float divisor)
{
    const float reciprocal = divisor == 0.0f ? 0.0f : 1.0f / divisor;
    return v * reciprocal;
}

inline float squared(float value) { return value * value; }
inline float length(const Vec2& v) { return std::sqrt(v.x * v.x + v.y * v.y); }
inline float dot(const Vec2& a, const Vec2& b) { return a.x * b.x + a.y * b.y; }
inline float cross(const Vec2& a, const Vec2& b) { return a.x * b.y - a.y * b.x; }

// The two unit-vector rules differ on purpose and callers rely on each:
// normalise leaves only an exactly zero (or NaN-length) vector alone,
// normalised leaves every vector no longer than kTinyLength unchanged.
constexpr double kTinyLength = 1e-5;

// Scales v to unit length in place; a zero vector stays zero.
inline void normalise(Vec2& v)
{
    float len = length(v);
    if (!(len > 0.0f)) len = 1.0f;
    v.x /= len;
    v.y /= len;
}

// v scaled to unit length, or v itself when it is too short to have a direction.
inline Vec2 normalised(const Vec2& v)
{
    float len = length(v);
    if (!(static_cast<double>(len) > kTinyLength)) len = 1.0f;
    return v * (1.0f / len);
}

// point turned counter-clockwise by angle (radians) about pivot.
inline Vec2 rotatedAbout(const Vec2& point, const Vec2& pivot, float angle)
{
    const Vec2 offset = point - pivot;
    const auto cosA = static_cast<float>(std::cos(static_cast<double>(angle)));
    const auto sinA = static_cast<float>(std::sin(static_cast<double>(angle)));
    return pivot + Vec2(cosA * offset.x - sinA * offset.y, sinA * offset.x + cosA * offset.y);
}

// Angle from a to b in (-pi, pi], positive clockwise.
inline float signedAngle(const Vec2& a, const Vec2& b)
{
    return -static_cast<float>(std::atan2(static_cast<double>(cross(a, b)), static_cast<double>(dot(a, b))));
}

// Where segment a->b crosses segment c->d, end points included. Parallel or degenerate
// segments never intersect, and out is written only on a hit.
inline bool segmentIntersection(const Vec2& a, const Vec2& b, const Vec2& c, const Vec2& d, Vec2* out)
{
    const Vec2 r = b - a;
    const Vec2 s = d - c;
    const float den = cross(r, s);
    if (den == 0.0f) return false;
    const Vec2 ac = c - a;
    const float t = cross(ac, s) / den;
    const float u = cross(ac, r) / den;
    if (t < 0.0f || t > 1.0f || u < 0.0f || u > 1.0f) return false;
    *out = a + r * t;
    return true;
}

// Plane vectors and boxes for drawing the figure; y grows downwards as on screen.
#pragma once

#include <algorithm>
#include <cmath>

struct Vec2 {
    double x = 0, y = 0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, double k) { return {a.x * k, a.y * k}; }
inline double Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
inline double Length(Vec2 a) { return std::sqrt(Dot(a, a)); }
inline Vec2 Unit(Vec2 a) { return a * (1.0 / Length(a)); }
// A quarter turn: with y down, the normal of a rightward tangent points down.
inline Vec2 Perp(Vec2 a) { return {-a.y, a.x}; }

// A box in continuous coordinates or, for pixel boxes, right/bottom exclusive.
struct Box {
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    void Add(Vec2 p)
    {
        left = std::min(left, p.x);
        top = std::min(top, p.y);
        right = std::max(right, p.x);
        bottom = std::max(bottom, p.y);
    }
};

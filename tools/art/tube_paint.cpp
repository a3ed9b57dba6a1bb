#include "tools/art/tube_paint.h"

#include <algorithm>
#include <cmath>

#include "tools/art/prng.h"

namespace {

struct Vec3 {
    double x, y, z;
};

double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 Unit(Vec3 a)
{
    double n = std::sqrt(Dot(a, a));
    return {a.x / n, a.y / n, a.z / n};
}

// Screen axes: x right, y down, z towards the viewer. Light from the upper left.
const Vec3 kLight = Unit({-0.45, -0.7, 0.55});
const Vec3 kHalfway = Unit({kLight.x, kLight.y, kLight.z + 1});

struct Lit {
    double diffuse, shine;
};

Lit Light(Vec3 normal)
{
    normal = Unit(normal);
    double h = std::max(0.0, Dot(normal, kHalfway));
    h *= h; // a narrow highlight: h to the 16th power
    h *= h;
    h *= h;
    h *= h;
    return {std::max(0.0, Dot(normal, kLight)), h};
}

Rgb Grey(double level)
{
    auto g = uint8_t(std::clamp(level, 0.0, 222.0)); // the caps stay off-white
    return {g, g, g};
}

uint8_t Channel(double v) { return uint8_t(std::clamp(v, 0.0, 255.0)); }

Rgb OpenEnd(const TubeSample& s)
{
    double r = std::sqrt(s.face_u * s.face_u + s.face_v * s.face_v);
    if (r < 0.64) {
        // Inside the opening the far, lower wall catches the light.
        double lit = std::clamp((s.face_v / 0.64 + 1) / 2, 0.0, 1.0);
        double shadow = r > 0.54 ? 0.7 : 1.0; // the rim's inner lip
        return {Channel((30 + 45 * lit) * shadow), Channel((22 + 30 * lit) * shadow),
                Channel((12 + 14 * lit) * shadow)};
    }
    // The rim faces out of the tube's end, bevelled towards its outer edge.
    double bevel = (r - 0.82) * 1.6;
    Vec3 n{-s.axis.x * 0.55 + s.normal.x * s.face_v * bevel,
           -s.axis.y * 0.55 + s.normal.y * s.face_v * bevel, 0.75};
    Lit lit = Light(n);
    return Grey(85 + 135 * lit.diffuse + 40 * lit.shine);
}

} // namespace

Rgb ShadeTube(const TubeSample& s, double length, double half_width)
{
    if (s.part == TubePart::LeftFace) return OpenEnd(s);

    Vec3 normal;
    if (s.part == TubePart::RightCap) {
        double u = std::max(0.0, s.face_u), v = s.face_v;
        normal = {s.axis.x * u + s.normal.x * v, s.axis.y * u + s.normal.y * v,
                  std::sqrt(std::max(0.02, 1 - u * u - v * v))};
    } else {
        double a = s.across;
        normal = {s.normal.x * a, s.normal.y * a, std::sqrt(std::max(0.02, 1 - a * a))};
    }
    Lit lit = Light(normal);

    const double cap = 0.85 * half_width;
    bool on_cap = s.part == TubePart::RightCap || s.along < cap || s.along > length - cap;
    if (on_cap) {
        bool groove = std::abs(s.along - cap) < 0.7 || std::abs(s.along - (length - cap)) < 0.7;
        double level = 70 + 140 * lit.diffuse + 30 * lit.shine;
        return Grey(s.part == TubePart::Body && groove ? level * 0.72 : level);
    }

    double lum = (0.38 + 0.85 * lit.diffuse) * 1.15;
    double r = 90 * lum + 70 * lit.shine, g = 60 * lum + 55 * lit.shine, b = 20 * lum + 35 * lit.shine;
    // Speckles sit on the surface, so they travel with the tube from frame to frame.
    uint32_t speck = Hash2(int(std::floor(s.along / 1.4)),
                           int(std::floor((s.across + 1) * half_width / 1.4))) % 100;
    if (speck < 18) {
        r *= 0.62;
        g *= 0.62;
        b *= 0.62;
    } else if (speck < 26) {
        r += 30;
        g += 22;
        b += 10;
    }
    return {Channel(r), Channel(g), Channel(b)};
}

Bmp24 PaintFrame(const Mask& mask, const TubePose& tube, uint64_t seed)
{
    TubeShape shape(tube);
    Prng noise(seed);
    Bmp24 picture = Bmp24::Blank();
    for (int y = 0; y < Mask::kSide; ++y)
        for (int x = 0; x < Mask::kSide; ++x) {
            if (!mask.At(x, y)) continue;
            TubeSample s = shape.Sample({x + 0.5, y + 0.5});
            Rgb c = ShadeTube(s, shape.Length(), shape.HalfWidth());
            int shared = noise.Between(-2, 2);
            double r = c.r + shared + noise.Between(-1, 1);
            double g = c.g + shared;
            double b = c.b + shared;
            // Edges are darkened as if antialiased against a dark ground; the
            // lower edge, in the figure's own shadow, nearly to black.
            double edge = !mask.At(x, y + 1) ? 0.05
                          : (!mask.At(x - 1, y) || !mask.At(x + 1, y) || !mask.At(x, y - 1)) ? 0.62
                                                                                             : 1.0;
            c = {Channel(r * edge), Channel(g * edge), Channel(b * edge)};
            if (c == Rgb{}) c = {2, 1, 0}; // pure black is the key colour
            picture.SetPixel(x, y, c);
        }
    return picture;
}

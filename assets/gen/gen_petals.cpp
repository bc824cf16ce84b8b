// Draws the 16 frames of the falling petal: one cherry-blossom petal (rounded, with the
// notch at its tip and a deeper pink towards its base) turning over in three dimensions.
// Each frame is a square mask (white outside, black inside) and a sprite (black outside,
// petal colours inside). The frames are drawn at 16 x 16 pixels, written as
// assets/petals/mask_NN.bmp and sprite_NN.bmp, and for screens of 150, 200 and 300 %
// at 24, 32 and 48 pixels from the same shapes, written as mask24_NN.bmp and so on.
//
// The petal is a gently cupped surface, rotated for each frame, projected straight onto
// the picture and sampled 8 x 8 times per pixel; a pixel belongs to the petal when enough
// of its samples do, and that one decision makes both the mask and the sprite.
//
// Build and run from the repository root:
//   g++ -O2 -std=c++17 -I assets/gen assets/gen/gen_petals.cpp -o /tmp/gen_petals && /tmp/gen_petals
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "image_io.h"

namespace {

constexpr int kFrames = 16;
constexpr int kBaseSize = 16;                  // the 100 % frame; lengths below are in its pixels
constexpr int kSizes[] = {16, 24, 32, 48};
constexpr int kSuper = 8;                      // samples per pixel along each axis
constexpr double kPi = 3.14159265358979323846;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Normalized(Vec3 a) { return (1.0 / std::sqrt(Dot(a, a))) * a; }

struct Mat3 {
    std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};
    Vec3 operator*(Vec3 v) const {
        return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
                m[6] * v.x + m[7] * v.y + m[8] * v.z};
    }
    Mat3 operator*(const Mat3& o) const {
        Mat3 r;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                r.m[i * 3 + j] = m[i * 3] * o.m[j] + m[i * 3 + 1] * o.m[3 + j] + m[i * 3 + 2] * o.m[6 + j];
        return r;
    }
};

// Rotation by angle about a unit axis (Rodrigues).
Mat3 Rotation(Vec3 axis, double angle) {
    axis = Normalized(axis);
    const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    const double x = axis.x, y = axis.y, z = axis.z;
    Mat3 r;
    r.m = {t * x * x + c,     t * x * y - s * z, t * x * z + s * y,
           t * x * y + s * z, t * y * y + c,     t * y * z - s * x,
           t * x * z - s * y, t * y * z + s * x, t * z * z + c};
    return r;
}

// --- The petal's outline, in its own plane ---------------------------------------------
// u runs from the base (0) to the tip (1), v across the petal (0 on its midline).

constexpr double kWidest = 0.64;     // where the petal is widest, along its length
constexpr double kHalfWidth = 0.43;  // half its greatest width, in lengths
constexpr double kNotchDepth = 0.17;
constexpr double kNotchHalfWidth = 0.15;

double HalfWidth(double u) {
    if (u < 0 || u > 1) return -1;
    if (u <= kWidest) {
        // A narrow claw at the base opening out into the broad blade.
        const double t = u / kWidest;
        return 0.05 + (kHalfWidth - 0.05) * std::pow(std::sin(kPi / 2 * t), 1.25);
    }
    const double t = (u - kWidest) / (1 - kWidest);
    return kHalfWidth * std::sqrt(std::max(0.0, 1 - t * t));
}

bool InsideOutline(double u, double v) {
    if (std::fabs(v) > HalfWidth(u)) return false;
    // The notch: a shallow V cut into the middle of the rounded tip.
    const double cut = kNotchDepth * std::max(0.0, 1 - std::fabs(v) / kNotchHalfWidth);
    return u <= 1 - cut;
}

// --- Colours ------------------------------------------------------------------------------

struct Colour {
    double r = 0, g = 0, b = 0;
};
Colour Mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Deep pink at the base, clear pink over the blade, nearly white at the tip.
Colour FrontColour(double u) {
    const Colour base{212, 74, 128}, blade{247, 166, 196}, tip{255, 226, 236};
    if (u < 0.35) return Mix(base, blade, std::pow(u / 0.35, 0.8));
    return Mix(blade, tip, std::min(1.0, (u - 0.35) / 0.65));
}

// The underside is paler and a little cooler.
Colour BackColour(double u) { return Mix(FrontColour(u), Colour{255, 228, 240}, 0.35); }

// --- Rendering ------------------------------------------------------------------------------

struct Sample {
    bool hit = false;
    double depth = -1e9;
    Colour colour;
};

struct Frame {
    std::vector<bool> inside;     // size * size
    std::vector<gen::Rgb> colour; // size * size, black outside
};

constexpr double kLength = 13.4;  // petal length in pixels
constexpr double kCup = 1.3;      // how far the sides curl up, in pixels at the widest
constexpr double kBend = 0.45;    // how far base and tip curl back, in pixels

// The pose of frame k: a full turn over about a tilted axis, while the petal also swings
// once round in the picture plane, so the 16 frames close into a loop. A turn over must
// pass edge-on twice; the axis's tilt and the half-step offset put both of those moments
// midway between two frames, so no frame shows the petal as a bare line.
Mat3 Pose(int k) {
    const double step = 2 * kPi / kFrames;
    const double a = step * k + step / 2;
    const Mat3 flip = Rotation(Vec3{0.45, 1.0, 0.0}, a);
    const Mat3 swing = Rotation(Vec3{0, 0, 1}, step * k + 0.5);
    return swing * flip;
}

// Frame k at size x size pixels: the same petal and pose at every size, its lengths
// scaled by size / 16, sampled as finely per pixel. (At 16 every scaled length is the
// unscaled one, so the 100 % frames stay exactly as they were.)
Frame Render(int k, int size) {
    const double scale = static_cast<double>(size) / kBaseSize;
    const double length = kLength * scale, cup = kCup * scale, bend = kBend * scale;
    const int gridSize = size * kSuper;
    const Mat3 pose = Pose(k);
    const Vec3 light = Normalized(Vec3{-0.45, -0.6, 0.75});  // from the upper left, in front
    const double centreU = 0.52;                              // the point it turns about
    std::vector<Sample> grid(static_cast<size_t>(gridSize) * gridSize);

    const int steps = 520 * size / kBaseSize;
    for (int i = 0; i <= steps; ++i) {
        const double u = static_cast<double>(i) / steps;
        for (int j = -steps / 2; j <= steps / 2; ++j) {
            const double v = static_cast<double>(j) / steps;
            if (!InsideOutline(u, v)) continue;
            // Local frame: x across, y along (base at +y, so an upright petal has its
            // tip up), z towards the viewer; the sides and ends curl towards the viewer.
            const double x = v * length;
            const double y = (centreU - u) * length;
            const double w = kHalfWidth * length;
            const double h = 0.5 * length;
            const double z = cup * (x * x) / (w * w) + bend * (y * y) / (h * h);
            const Vec3 normal = Normalized(Vec3{-2 * cup * x / (w * w), -2 * bend * y / (h * h), 1});
            const Vec3 p = pose * Vec3{x, y, z};
            const Vec3 n = pose * normal;

            const int gx = static_cast<int>(std::floor((p.x + size / 2.0) * kSuper));
            const int gy = static_cast<int>(std::floor((p.y + size / 2.0) * kSuper));
            if (gx < 0 || gy < 0 || gx >= gridSize || gy >= gridSize) continue;
            Sample& s = grid[static_cast<size_t>(gy) * gridSize + gx];
            if (s.hit && s.depth >= p.z) continue;

            // The side facing the viewer decides colour; light falls on that side.
            const bool front = n.z >= 0;
            const Vec3 seen = front ? n : -1.0 * n;
            const double diffuse = std::max(0.0, Dot(seen, light));
            const double facing = std::fabs(n.z);
            // Turned away from the light the pink deepens rather than greys.
            const double lit = std::clamp(0.25 + 0.6 * diffuse + 0.25 * facing, 0.0, 1.0);
            const Colour own = front ? FrontColour(u) : BackColour(u);
            Colour c = Mix(Mix(own, Colour{186, 82, 130}, 0.5), own, lit);
            // A soft sheen where the light glances off the blade.
            const Vec3 half = Normalized(light + Vec3{0, 0, 1});
            const double sheen = std::pow(std::max(0.0, Dot(seen, half)), 24) * 0.25;
            c = Mix(c, Colour{255, 248, 250}, sheen);
            s.hit = true;
            s.depth = p.z;
            s.colour = c;
        }
    }

    Frame f;
    f.inside.assign(size * size, false);
    f.colour.assign(size * size, gen::Rgb{0, 0, 0});
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            int hits = 0;
            Colour sum;
            for (int sy = 0; sy < kSuper; ++sy)
                for (int sx = 0; sx < kSuper; ++sx) {
                    const Sample& s = grid[static_cast<size_t>(py * kSuper + sy) * gridSize + px * kSuper + sx];
                    if (!s.hit) continue;
                    ++hits;
                    sum = {sum.r + s.colour.r, sum.g + s.colour.g, sum.b + s.colour.b};
                }
            // Inside when at least 40% of the pixel is petal.
            if (hits * 10 < kSuper * kSuper * 4) continue;
            const auto channel = [&](double total) {
                // Never pure black inside, so no pixel of the petal turns into a hole.
                return static_cast<uint8_t>(std::clamp(std::lround(total / hits), 24L, 255L));
            };
            f.inside[py * size + px] = true;
            f.colour[py * size + px] = gen::Rgb{channel(sum.r), channel(sum.g), channel(sum.b)};
        }
    }

    // A slightly deeper rim where the petal meets its surroundings, so it stays readable
    // over pale desktops: one pixel wide at 16, as wide as a 16-pixel frame's pixel (whole
    // pixels) at the larger sizes, so the picture keeps its look when scaled.
    const int rim = std::max(1, size / kBaseSize);
    std::vector<gen::Rgb> rimmed = f.colour;
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            if (!f.inside[py * size + px]) continue;
            bool edge = false;
            for (int dy = -rim; dy <= rim && !edge; ++dy)
                for (int dx = -rim; dx <= rim && !edge; ++dx) {
                    if (std::abs(dx) + std::abs(dy) > rim || (dx == 0 && dy == 0)) continue;
                    const int nx = px + dx, ny = py + dy;
                    if (nx < 0 || ny < 0 || nx >= size || ny >= size || !f.inside[ny * size + nx]) edge = true;
                }
            if (!edge) continue;
            gen::Rgb& c = rimmed[py * size + px];
            c = gen::Rgb{static_cast<uint8_t>(c.r * 0.93), static_cast<uint8_t>(c.g * 0.86),
                         static_cast<uint8_t>(c.b * 0.9)};
        }
    f.colour = rimmed;
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "assets/petals";
    for (const int size : kSizes) {
        // The 16-pixel frames keep their original names; the others carry their size.
        const std::string suffix = size == kBaseSize ? "_" : std::to_string(size) + "_";
        for (int k = 0; k < kFrames; ++k) {
            const Frame f = Render(k, size);
            gen::Image mask(size, size, gen::Rgb{255, 255, 255});
            gen::Image sprite(size, size, gen::Rgb{0, 0, 0});
            int area = 0;
            for (int i = 0; i < size * size; ++i) {
                if (!f.inside[i]) continue;
                ++area;
                mask.px[i] = gen::Rgb{0, 0, 0};
                sprite.px[i] = f.colour[i];
            }
            char name[16];
            std::snprintf(name, sizeof name, "%02d", k);
            if (!gen::WriteBmp24(dir + "/mask" + suffix + name + ".bmp", mask) ||
                !gen::WriteBmp24(dir + "/sprite" + suffix + name + ".bmp", sprite)) {
                std::fprintf(stderr, "cannot write frame %d (%d pixels) into %s\n", k, size, dir.c_str());
                return 1;
            }
            std::printf("frame %02d at %d: %d pixels\n", k, size, area);
        }
    }
    return 0;
}

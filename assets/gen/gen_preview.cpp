// Paints the preview picture: blossoming cherry branches against a spring sky, 152 x 112
// pixels. The picture is painted four times larger and averaged down, so edges are soft
// as in a photograph. It is written as PPM; ImageMagick turns it into the stored JPEG.
//
// Build and run from the repository root:
//   g++ -O2 -std=c++17 -I assets/gen assets/gen/gen_preview.cpp -o /tmp/gen_preview &&
//   /tmp/gen_preview /tmp/preview.ppm && convert /tmp/preview.ppm -quality 90 assets/preview/preview.jpg
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "image_io.h"

namespace {

constexpr int kWidth = 152;
constexpr int kHeight = 112;
constexpr int kScale = 4;
constexpr int kW = kWidth * kScale;
constexpr int kH = kHeight * kScale;
constexpr double kPi = 3.14159265358979323846;

struct Colour {
    double r = 0, g = 0, b = 0;
};
Colour Mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A small fixed generator, so the picture comes out the same everywhere.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / 16777216.0;
    }
    double Range(double lo, double hi) { return lo + (hi - lo) * Next(); }

private:
    uint32_t state_;
};

class Canvas {
public:
    Canvas() : px_(static_cast<size_t>(kW) * kH) {}
    Colour& at(int x, int y) { return px_[static_cast<size_t>(y) * kW + x]; }

    void Blend(int x, int y, Colour c, double alpha) {
        if (x < 0 || y < 0 || x >= kW || y >= kH || alpha <= 0) return;
        Colour& d = at(x, y);
        d = Mix(d, c, std::min(1.0, alpha));
    }

    // An ellipse with semi-axes a and b, turned by angle; the colour comes from a
    // function of the point's place inside it (0 at the centre, 1 at the rim).
    template <typename Shade>
    void Ellipse(double cx, double cy, double a, double b, double angle, double alpha, Shade shade) {
        const double reach = std::max(a, b) + 1;
        const double c = std::cos(angle), s = std::sin(angle);
        for (int y = static_cast<int>(cy - reach); y <= static_cast<int>(cy + reach); ++y)
            for (int x = static_cast<int>(cx - reach); x <= static_cast<int>(cx + reach); ++x) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                const double u = (dx * c + dy * s) / a, v = (-dx * s + dy * c) / b;
                const double d = u * u + v * v;
                if (d > 1) continue;
                Blend(x, y, shade(std::sqrt(d), u, v), alpha);
            }
    }

    // A soft round glow, strongest in the middle.
    void Glow(double cx, double cy, double radius, Colour c, double alpha) {
        for (int y = static_cast<int>(cy - radius); y <= static_cast<int>(cy + radius); ++y)
            for (int x = static_cast<int>(cx - radius); x <= static_cast<int>(cx + radius); ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / radius;
                if (d < 1) Blend(x, y, c, alpha * (1 - d * d) * (1 - d * d));
            }
    }

    gen::Image Reduced() const {
        gen::Image out(kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                Colour sum;
                for (int sy = 0; sy < kScale; ++sy)
                    for (int sx = 0; sx < kScale; ++sx) {
                        const Colour& c = px_[static_cast<size_t>(y * kScale + sy) * kW + x * kScale + sx];
                        sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                    }
                const double n = kScale * kScale;
                const auto ch = [](double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); };
                out.at(x, y) = gen::Rgb{ch(sum.r / n), ch(sum.g / n), ch(sum.b / n)};
            }
        return out;
    }

private:
    std::vector<Colour> px_;
};

// --- The sky --------------------------------------------------------------------------------

void PaintSky(Canvas& canvas, Random& rnd) {
    const Colour top{52, 112, 200}, middle{110, 168, 230}, low{196, 224, 246};
    for (int y = 0; y < kH; ++y) {
        const double t = static_cast<double>(y) / (kH - 1);
        const Colour c = t < 0.6 ? Mix(top, middle, t / 0.6) : Mix(middle, low, (t - 0.6) / 0.4);
        for (int x = 0; x < kW; ++x) {
            // A touch lighter towards the right, where the sun would be.
            const double sun = 0.08 * static_cast<double>(x) / kW;
            canvas.at(x, y) = Mix(c, Colour{235, 245, 255}, sun);
        }
    }
    // A thin veil of cloud low on the right.
    for (int i = 0; i < 14; ++i)
        canvas.Glow(rnd.Range(0.45, 1.0) * kW, rnd.Range(0.72, 0.95) * kH, rnd.Range(18, 44), Colour{246, 249, 255},
                    0.35);
}

// --- Branches ----------------------------------------------------------------------------------

struct Point {
    double x = 0, y = 0;
};

struct Twig {
    std::vector<Point> path;
    std::vector<double> width;
};

const Colour kBark{54, 38, 36};
const Colour kBarkLit{96, 74, 70};

// Draws a wavering branch as a chain of discs, thinning towards its end; the upper side
// catches a little light. Returns its points so blossoms can be set along it.
Twig Branch(Canvas& canvas, Random& rnd, Point from, double angle, double length, double width0,
            double width1) {
    Twig t;
    const double step = 2.0;
    Point p = from;
    for (double s = 0; s <= length; s += step) {
        const double w = width0 + (width1 - width0) * (s / length);
        t.path.push_back(p);
        t.width.push_back(w);
        for (int y = static_cast<int>(p.y - w - 1); y <= static_cast<int>(p.y + w + 1); ++y)
            for (int x = static_cast<int>(p.x - w - 1); x <= static_cast<int>(p.x + w + 1); ++x) {
                const double dy = y + 0.5 - p.y, dx = x + 0.5 - p.x;
                if (dx * dx + dy * dy > w * w) continue;
                const double lit = std::clamp(-dy / w, 0.0, 1.0) * 0.55;
                canvas.Blend(x, y, Mix(kBark, kBarkLit, lit), 1.0);
            }
        angle += rnd.Range(-0.07, 0.07);
        p = {p.x + std::cos(angle) * step, p.y + std::sin(angle) * step};
    }
    return t;
}

// --- Blossoms -------------------------------------------------------------------------------------

// One five-petalled flower, r its radius; pale pink petals with a deeper heart and a
// ring of stamens. Far flowers (depth near 0) are paler and smaller.
void Flower(Canvas& canvas, Random& rnd, Point c, double r, double depth) {
    const double turn = rnd.Range(0, 2 * kPi);
    // Each flower a little pinker or paler than the next.
    const double blush = rnd.Range(0.0, 1.0);
    const Colour edge = Mix(Colour{252, 226, 236}, Colour{248, 196, 216}, blush);
    const Colour heart = Mix(Colour{238, 146, 180}, Colour{226, 104, 148}, blush);
    const Colour petalEdge = Mix(edge, Colour{250, 232, 240}, 1 - depth);
    const Colour petalHeart = Mix(heart, Colour{244, 196, 214}, 1 - depth);
    // A gentle tilt squashes the flower a little in one direction.
    const double squash = rnd.Range(0.7, 1.0);
    const double tilt = rnd.Range(0, kPi);
    for (int i = 0; i < 5; ++i) {
        const double a = turn + i * 2 * kPi / 5;
        double px = std::cos(a) * r * 0.52, py = std::sin(a) * r * 0.52;
        // Apply the squash along the tilt direction.
        const double along = px * std::cos(tilt) + py * std::sin(tilt);
        px -= (1 - squash) * along * std::cos(tilt);
        py -= (1 - squash) * along * std::sin(tilt);
        canvas.Ellipse(c.x + px, c.y + py, r * 0.55, r * 0.45, a, 0.96, [&](double d, double u, double) {
            // Deeper pink towards the flower's heart (the inner end of the petal).
            const double inner = std::clamp((1 - u) * 0.5, 0.0, 1.0);
            Colour col = Mix(petalEdge, petalHeart, inner * inner);
            // A faint shadow line where petals overlap.
            if (d > 0.88) col = Mix(col, Colour{220, 140, 172}, 0.5);
            return col;
        });
    }
    canvas.Ellipse(c.x, c.y, r * 0.26, r * 0.26, 0, 1.0, [&](double d, double, double) {
        return Mix(Colour{196, 52, 96}, Colour{226, 110, 140}, d);
    });
    for (int i = 0; i < 7; ++i) {
        const double a = turn + i * 2 * kPi / 7 + 0.3;
        canvas.Ellipse(c.x + std::cos(a) * r * 0.33, c.y + std::sin(a) * r * 0.33, 1.3, 1.3, 0, 0.9,
                       [](double, double, double) { return Colour{250, 214, 120}; });
    }
}

void Bud(Canvas& canvas, Point c, double r) {
    canvas.Ellipse(c.x, c.y, r, r * 0.8, 0.4, 1.0, [](double d, double u, double) {
        return Mix(Mix(Colour{214, 70, 118}, Colour{246, 150, 182}, std::clamp(-u, 0.0, 1.0)), Colour{190, 60, 100},
                   d * 0.3);
    });
}

// A cluster of a few flowers and buds around a point of a branch.
void Cluster(Canvas& canvas, Random& rnd, Point c, double size, double depth) {
    const int flowers = 2 + static_cast<int>(rnd.Next() * 4);
    for (int i = 0; i < flowers; ++i) {
        const double a = rnd.Range(0, 2 * kPi), d = rnd.Range(0.2, 1.0) * size;
        Flower(canvas, rnd, {c.x + std::cos(a) * d, c.y + std::sin(a) * d * 0.8}, size * rnd.Range(0.55, 0.75),
               depth);
    }
    if (rnd.Next() < 0.6) {
        const double a = rnd.Range(0, 2 * kPi);
        Bud(canvas, {c.x + std::cos(a) * size * 1.2, c.y + std::sin(a) * size * 1.2}, size * 0.18);
    }
}

// A branch with twigs; every twig ends in a cluster and the branch carries clusters
// along its length. Clusters come after all the wood, so they sit in front of it.
void BloomingBranch(Canvas& canvas, Random& rnd, Point from, double angle, double length, double width,
                    int twigs, double clusterSize, std::vector<std::pair<Point, double>>& clusters) {
    const Twig main = Branch(canvas, rnd, from, angle, length, width, width * 0.3);
    for (int i = 0; i < twigs; ++i) {
        const size_t at = static_cast<size_t>(rnd.Range(0.15, 0.95) * (main.path.size() - 1));
        const double side = rnd.Next() < 0.5 ? -1 : 1;
        const Twig twig = Branch(canvas, rnd, main.path[at], angle + side * rnd.Range(0.5, 1.1),
                                 rnd.Range(0.12, 0.3) * length, main.width[at] * 0.55, 1.2);
        clusters.push_back({twig.path.back(), clusterSize * rnd.Range(0.8, 1.1)});
        if (twig.path.size() > 6) clusters.push_back({twig.path[twig.path.size() / 2], clusterSize * 0.7});
    }
    for (size_t i = main.path.size() / 6; i < main.path.size(); i += static_cast<size_t>(rnd.Range(14, 26)))
        clusters.push_back({main.path[i], clusterSize * rnd.Range(0.7, 1.0)});
    clusters.push_back({main.path.back(), clusterSize});
}

}  // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : "preview.ppm";
    Canvas canvas;
    Random rnd(20240401u);
    PaintSky(canvas, rnd);

    // Far blossoms out of focus, for depth.
    for (int i = 0; i < 9; ++i)
        canvas.Glow(rnd.Range(0.0, 1.0) * kW, rnd.Range(0.0, 0.6) * kH, rnd.Range(24, 44), Colour{240, 186, 208},
                    0.45);

    // A far branch, thin and pale-flowered, then the two near branches.
    std::vector<std::pair<Point, double>> far, near;
    BloomingBranch(canvas, rnd, {kW * 1.02, kH * 0.52}, kPi + 0.35, kW * 0.55, 5, 5, 15, far);
    for (const auto& [p, s] : far) Cluster(canvas, rnd, p, s, 0.2);

    BloomingBranch(canvas, rnd, {-10, kH * 0.80}, -0.42, kW * 1.05, 15, 9, 26, near);
    BloomingBranch(canvas, rnd, {kW * 0.02, -8}, 0.30, kW * 0.62, 9, 6, 22, near);
    for (const auto& [p, s] : near) Cluster(canvas, rnd, p, s, 1.0);

    if (!gen::WritePpm(out, canvas.Reduced())) {
        std::fprintf(stderr, "cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

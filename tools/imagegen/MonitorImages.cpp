// Draws the images of the live pages and writes them as PNG files:
//
//   lamps.png   48 x 128: lamp cells of 16 x 16, x = 16 * state (lit, dark,
//               grey), y = colour row (red, green, yellow, blue) + shape
//               (circular rows 0-63, square rows 64-127); transparent
//               around every lamp.
//   arrows.png  112 x 21: seven cells of 16 x 21 on black; 1 red up, 2 red
//               down, 5 green up, 6 green down, the others black.
//
// Every pixel is sampled 8 x 8 times, so edges are smooth while the shapes
// stay on the pixel grid and are shown unscaled.
//
// Usage: vardo-imagegen <output folder>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

constexpr int kSamples = 8;

struct Rgb
{
    double r = 0, g = 0, b = 0;
};

Rgb mix(Rgb a, Rgb b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scaled(Rgb c, double f)
{
    return {c.r * f, c.g * f, c.b * f};
}

double smoothstep(double e0, double e1, double x)
{
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

const Rgb kWhite{255, 255, 255};

// Renders a w x h block at (x0, y0) of image from a sampler that gives the
// colour at a point, or nothing where the block is transparent. Points are
// in block coordinates, pixel centres at i + 0.5.
template <class Sampler>
void render(QImage& image, int x0, int y0, int w, int h, Sampler sample)
{
    for (int py = 0; py < h; ++py) {
        for (int px = 0; px < w; ++px) {
            Rgb sum;
            int covered = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = px + (sx + 0.5) / kSamples;
                    const double y = py + (sy + 0.5) / kSamples;
                    if (const std::optional<Rgb> c = sample(x, y)) {
                        sum.r += c->r;
                        sum.g += c->g;
                        sum.b += c->b;
                        ++covered;
                    }
                }
            }
            QRgb out = qRgba(255, 0, 255, 0);  // transparent magenta
            if (covered > 0) {
                const auto channel = [covered](double v) {
                    return std::clamp(int(std::lround(v / covered)), 0, 255);
                };
                const int alpha = covered * 255 / (kSamples * kSamples);
                out = qRgba(channel(sum.r), channel(sum.g), channel(sum.b), alpha);
            }
            image.setPixel(x0 + px, y0 + py, out);
        }
    }
}

// ----- lamps -----------------------------------------------------------

enum class Shape { Circle, Square };
enum class State { Lit, Dark, Grey };

struct LampColour
{
    Rgb base;   // the lit lens at its rim
    Rgb glow;   // the lit lens at its centre
};

const LampColour kLampColours[4] = {
    {{200, 16, 10}, {255, 120, 96}},    // red
    {{10, 150, 24}, {130, 255, 120}},   // green
    {{205, 150, 0}, {255, 245, 130}},   // yellow
    {{12, 60, 205}, {130, 190, 255}},   // blue
};

constexpr double kCentre = 8.0;
constexpr double kOuter = 7.5;   // housing edge
constexpr double kBezel = 1.3;   // width of the dark ring around the lens
constexpr double kCorner = 2.5;  // corner radius of the square lamp

// Signed distance from the housing edge (negative inside).
double housingDistance(Shape shape, double dx, double dy)
{
    if (shape == Shape::Circle)
        return std::hypot(dx, dy) - kOuter;
    const double qx = std::abs(dx) - (kOuter - kCorner);
    const double qy = std::abs(dy) - (kOuter - kCorner);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - kCorner;
}

std::optional<Rgb> lampSample(Shape shape, State state, const LampColour& colour, double x, double y)
{
    const double dx = x - kCentre;
    const double dy = y - kCentre;
    const double d = housingDistance(shape, dx, dy);
    if (d > 0)
        return std::nullopt;

    if (d > -kBezel) {
        // Housing ring, lit from the upper left: dark there, lighter at
        // the lower right, so the lens looks set into the panel.
        const double s = smoothstep(-1.0, 1.0, (dx + dy) / (2 * kOuter) * 1.6);
        const double g = 52 + 110 * s;
        return Rgb{g, g, g};
    }

    // Lens coordinates: -1 .. 1 across the lens, the light source a little
    // up and to the left of the centre.
    const double lens = kOuter - kBezel;
    const double u = dx / lens;
    const double v = dy / lens;
    const double lu = u + 0.22;
    const double lv = v + 0.22;
    double rr = shape == Shape::Circle ? std::hypot(lu, lv)
                                       : std::pow(std::pow(std::abs(lu), 4) + std::pow(std::abs(lv), 4), 0.25);
    rr = std::clamp(rr / 1.15, 0.0, 1.0);

    Rgb centre, rim;
    double highlight = 0;
    switch (state) {
    case State::Lit:
        centre = colour.glow;
        rim = colour.base;
        highlight = 0.85;
        break;
    case State::Dark:
        centre = scaled(colour.base, 0.50);
        rim = scaled(colour.base, 0.24);
        highlight = 0.32;
        break;
    case State::Grey:
        centre = {178, 178, 178};
        rim = {112, 112, 112};
        highlight = 0.45;
        break;
    }
    Rgb c = mix(centre, rim, std::pow(rr, 1.4));

    // Specular highlight: a small soft ellipse at the upper left.
    const double hu = (u + 0.34) / 0.42;
    const double hv = (v + 0.42) / 0.28;
    const double h = 1.0 - (hu * hu + hv * hv);
    if (h > 0)
        c = mix(c, kWhite, highlight * smoothstep(0.0, 0.6, h));
    return c;
}

QImage lampSheet()
{
    QImage sheet(48, 128, QImage::Format_ARGB32);
    sheet.fill(qRgba(255, 0, 255, 0));
    const State states[3] = {State::Lit, State::Dark, State::Grey};
    const Shape shapes[2] = {Shape::Circle, Shape::Square};
    for (int s = 0; s < 2; ++s) {
        for (int c = 0; c < 4; ++c) {
            for (int st = 0; st < 3; ++st) {
                const int y0 = 64 * s + 16 * c;
                render(sheet, 16 * st, y0, 16, 16, [&](double x, double y) {
                    return lampSample(shapes[s], states[st], kLampColours[c], x, y);
                });
            }
        }
    }
    return sheet;
}

// ----- arrows ----------------------------------------------------------

// An upward arrow in a 16 x 21 cell: a head from the apex down to y = 10
// and a shaft six pixels wide, both centred on x = 8.
bool insideUpArrow(double x, double y)
{
    constexpr double apex = 1.5, headBase = 10.0, shaftEnd = 19.0;
    constexpr double halfHead = 6.5, halfShaft = 3.0;
    if (y >= headBase && y <= shaftEnd)
        return std::abs(x - 8.0) <= halfShaft;
    if (y >= apex && y < headBase)
        return std::abs(x - 8.0) <= halfHead * (y - apex) / (headBase - apex);
    return false;
}

std::optional<Rgb> arrowSample(Rgb top, Rgb bottom, bool down, double x, double y)
{
    const double ay = down ? 21.0 - y : y;
    if (!insideUpArrow(x, ay))
        return Rgb{0, 0, 0};
    // Brighter towards the head, darker towards the tail.
    return mix(top, bottom, (ay - 1.5) / 18.0);
}

QImage arrowStrip()
{
    QImage strip(112, 21, QImage::Format_ARGB32);
    strip.fill(qRgba(0, 0, 0, 255));
    const Rgb redTop{255, 92, 80}, redBottom{200, 12, 12};
    const Rgb greenTop{130, 255, 120}, greenBottom{16, 176, 30};
    const struct
    {
        int cell;
        Rgb top, bottom;
        bool down;
    } arrows[] = {
        {1, redTop, redBottom, false},
        {2, redTop, redBottom, true},
        {5, greenTop, greenBottom, false},
        {6, greenTop, greenBottom, true},
    };
    for (const auto& a : arrows) {
        render(strip, 16 * a.cell, 0, 16, 21,
               [&](double x, double y) { return arrowSample(a.top, a.bottom, a.down, x, y); });
    }
    return strip;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const struct
    {
        const char* name;
        QImage image;
    } outputs[] = {{"lamps.png", lampSheet()}, {"arrows.png", arrowStrip()}};
    for (const auto& out : outputs) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(out.name);
        if (!out.image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("wrote %s\n", qPrintable(path));
    }
    return 0;
}

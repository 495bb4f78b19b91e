#include "avi_generator/padlock_clip.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace qb::tools {
namespace {

constexpr int kSide = 60;
constexpr int kFrames = 16;
constexpr int kSweepFrames = 12; // the rest of the loop is a pause
constexpr int kFrameMicroseconds = 80000;
constexpr int kSamples = 4; // per axis, for smooth inner edges
constexpr uint32_t kBackground = 0xFFFFFF;

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Distance outside (positive) or inside (negative) a rounded rectangle.
double RoundedBox(double x, double y, double left, double top, double right, double bottom, double radius)
{
    const double cx = (left + right) / 2;
    const double cy = (top + bottom) / 2;
    const double qx = std::abs(x - cx) - ((right - left) / 2 - radius);
    const double qy = std::abs(y - cy) - ((bottom - top) / 2 - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// The colour of the padlock at (x, y), or nothing where the background shows.
std::optional<Rgb> Sample(double x, double y, double sweep)
{
    const Rgb outline{150, 100, 12};
    std::optional<Rgb> colour;
    bool lit = false;
    const double body = RoundedBox(x, y, 11, 28, 49, 56, 6);
    if (body < 0) {
        const double t = (y - 28) / 28;
        colour = body > -1.6 ? outline : Mix(Rgb{252, 222, 112}, Rgb{226, 164, 36}, t);
        const bool keyhole =
            std::hypot(x - 30, y - 40) < 4 || (y > 40 && y < 50 && std::abs(x - 30) < 1.3 + (y - 40) * 0.12);
        if (keyhole)
            colour = Rgb{92, 60, 10};
        lit = !keyhole;
    } else {
        const double ring = std::hypot(x - 30, y - 26);
        const bool arch = y <= 26 && ring >= 8.5 && ring <= 13.5;
        const bool legs = y > 26 && y < 29 && ((x >= 16.5 && x <= 21.5) || (x >= 38.5 && x <= 43.5));
        if (arch || legs) {
            const double across =
                arch ? (ring - 8.5) / 5 : std::min(std::abs(x - 16.5), std::abs(x - 38.5)) / 5;
            colour =
                Mix(Rgb{214, 218, 226}, Rgb{112, 116, 126}, std::min(1.0, std::abs(across - 0.35) * 1.6));
            lit = true;
        }
    }
    if (colour && lit) {
        const double distance = std::abs(x + 0.6 * y - sweep);
        if (distance < 6)
            colour = Mix(*colour, Rgb{254, 254, 250}, (1 - distance / 6) * 0.8);
    }
    return colour;
}

uint32_t Pack(Rgb c)
{
    // Multiples of 4 keep the palette small; 252 at most, so no padlock pixel can be the background.
    const auto channel = [](double v) {
        return static_cast<uint32_t>(std::clamp(static_cast<int>(std::lround(v / 4)) * 4, 0, 252));
    };
    return (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

uint32_t Pixel(int px, int py, double sweep)
{
    Rgb sum{0, 0, 0};
    int covered = 0;
    for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
            const std::optional<Rgb> c =
                Sample(px + (sx + 0.5) / kSamples, py + (sy + 0.5) / kSamples, sweep);
            if (!c)
                continue;
            sum = {sum.r + c->r, sum.g + c->g, sum.b + c->b};
            ++covered;
        }
    }
    // The outer edge stays hard: blending it with white would leave a light fringe on the splash.
    if (covered * 2 < kSamples * kSamples)
        return kBackground;
    return Pack({sum.r / covered, sum.g / covered, sum.b / covered});
}

int DistanceSquared(uint32_t a, uint32_t b)
{
    int total = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        total += d * d;
    }
    return total;
}

} // namespace

AviClip DrawPadlockClip()
{
    std::vector<std::vector<uint32_t>> rgbFrames;
    std::map<uint32_t, int> counts;
    for (int f = 0; f < kFrames; ++f) {
        // The band enters at the top left and leaves at the bottom right; the pause keeps it outside.
        const double sweep = f < kSweepFrames ? 22 + f * (92.0 - 22) / (kSweepFrames - 1) : -100;
        std::vector<uint32_t> frame;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                frame.push_back(Pixel(x, y, sweep));
                ++counts[frame.back()];
            }
        }
        rgbFrames.push_back(std::move(frame));
    }

    // Index 0 is the background; then the most frequent colours, up to 256 in all.
    std::vector<std::pair<int, uint32_t>> byCount;
    for (const auto& [rgb, count] : counts) {
        if (rgb != kBackground)
            byCount.push_back({-count, rgb});
    }
    std::sort(byCount.begin(), byCount.end());
    AviClip clip;
    clip.width = kSide;
    clip.height = kSide;
    clip.frameMicroseconds = kFrameMicroseconds;
    clip.palette.push_back(kBackground);
    for (const auto& entry : byCount) {
        if (clip.palette.size() == 256)
            break;
        clip.palette.push_back(entry.second);
    }
    std::map<uint32_t, uint8_t> index;
    for (const auto& [rgb, count] : counts) {
        std::size_t best = 0;
        for (std::size_t i = 1; i < clip.palette.size(); ++i) {
            if (DistanceSquared(clip.palette[i], rgb) < DistanceSquared(clip.palette[best], rgb))
                best = i;
        }
        index[rgb] = static_cast<uint8_t>(best);
    }
    for (const std::vector<uint32_t>& frame : rgbFrames) {
        std::vector<uint8_t> indices;
        for (uint32_t rgb : frame)
            indices.push_back(index[rgb]);
        clip.frames.push_back(std::move(indices));
    }
    return clip;
}

} // namespace qb::tools

#pragma once
// An animation clip in memory: 8-bit frames over one palette, the form our AVI files carry.
#include <cstdint>
#include <vector>

namespace qb {

// The bitmap compressions our clips use: none, and 8-bit run lengths.
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;

struct AviClip {
    int width = 0;
    int height = 0;
    int frameMicroseconds = 0;
    // 0xRRGGBB per index; a clip read from a file always has 256 entries (missing ones are black).
    std::vector<uint32_t> palette;
    // Each frame holds width * height palette indices, top row first.
    std::vector<std::vector<uint8_t>> frames;
};

} // namespace qb

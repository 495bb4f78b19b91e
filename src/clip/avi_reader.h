#pragma once
// Reads the AVI files our clip generator writes: a RIFF "AVI " file whose first video stream has 8-bit
// palette frames, uncompressed or RLE8 (delta codes included). Nothing else of the format is supported.
#include "clip/avi_clip.h"

#include <cstdint>
#include <optional>
#include <span>

namespace qb {

// Limits that keep a hostile file from taking much memory.
inline constexpr int kAviMaxSide = 1024;
inline constexpr int kAviMaxFrames = 2000;
inline constexpr int64_t kAviMaxPixels = 64 * 1024 * 1024; // all frames together

// The clip with every frame decoded, or nothing when the file is damaged or truncated anywhere: a chunk
// running past its parent, a missing header, an unsupported frame format, a frame that writes outside the
// picture, no frame at all, or sizes beyond the limits above. Never reads outside `bytes`.
std::optional<AviClip> ReadAvi(std::span<const uint8_t> bytes);

} // namespace qb

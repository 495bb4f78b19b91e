#pragma once
// The splash animation embedded in the program: an RLE8 AVI clip written by tools/avi_generator.
#include <cstddef>
#include <cstdint>

namespace qb {

extern const uint8_t kSplashClip[];
extern const std::size_t kSplashClipSize;

} // namespace qb

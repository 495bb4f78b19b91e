#pragma once
// Writes an AVI file with one video stream of 8-bit palette frames. Used by the clip generator and by
// tests that need files of their own.
#include "clip/avi_clip.h"

#include <cstdint>
#include <vector>

namespace qb {

enum class AviFrameEncoding {
    Uncompressed, // every frame whole, rows bottom-up and padded to 4 bytes ("00db")
    Rle8,         // the first frame whole, later ones only where they differ from the one before ("00dc")
};

// The whole file. Empty when the clip is not writable: no frame, a size of 0, a frame whose size is not
// width * height, or more than 256 palette entries.
std::vector<uint8_t> WriteAvi(const AviClip& clip, AviFrameEncoding encoding);

// One RLE8 bitmap: `rows` top row first; with `previous` (same size) only the changed pixels are
// written and the rest skipped with delta and end-of-line codes.
std::vector<uint8_t> EncodeRle8(const std::vector<uint8_t>& rows, const std::vector<uint8_t>* previous,
                                int width, int height);

} // namespace qb

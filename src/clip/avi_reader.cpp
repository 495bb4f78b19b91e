#include "clip/avi_reader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace qb {
namespace {

constexpr int kDefaultFrameMicroseconds = 100000;
constexpr int kMinFrameMicroseconds = 10000;
constexpr int kMaxFrameMicroseconds = 2000000;
constexpr int kMaxNesting = 4;

uint16_t U16(std::span<const uint8_t> bytes, std::size_t at)
{
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

uint32_t U32(std::span<const uint8_t> bytes, std::size_t at)
{
    return static_cast<uint32_t>(U16(bytes, at)) | (static_cast<uint32_t>(U16(bytes, at + 2)) << 16);
}

bool Is(std::span<const uint8_t> bytes, std::size_t at, std::string_view code)
{
    return std::memcmp(bytes.data() + at, code.data(), 4) == 0;
}

struct Chunk {
    std::size_t id = 0; // offset of the four-character code
    std::span<const uint8_t> data;
};

// The chunks of a list body in order; false when one runs past the end (a truncated or damaged file).
// The pad byte after an odd-sized last chunk may be missing.
bool Chunks(std::span<const uint8_t> body, std::vector<Chunk>& out)
{
    std::size_t at = 0;
    while (at < body.size()) {
        if (body.size() - at < 8)
            return false;
        const uint32_t size = U32(body, at + 4);
        if (size > body.size() - at - 8)
            return false;
        out.push_back({at, body.subspan(at + 8, size)});
        at += 8 + static_cast<std::size_t>(size) + (size % 2);
    }
    return true;
}

struct VideoFormat {
    int width = 0;
    int height = 0; // negative: rows top-down
    uint32_t compression = 0;
    std::vector<uint32_t> palette;
};

struct Parsed {
    bool haveHeader = false;
    int mainMicroseconds = 0;
    int streamMicroseconds = 0;
    int videoStream = -1;
    VideoFormat format;
    std::vector<std::span<const uint8_t>> frames;
};

bool ReadFormat(std::span<const uint8_t> strf, VideoFormat& format)
{
    if (strf.size() < 40)
        return false;
    const uint32_t headerSize = U32(strf, 0);
    if (headerSize < 40 || headerSize > strf.size())
        return false;
    format.width = static_cast<int32_t>(U32(strf, 4));
    format.height = static_cast<int32_t>(U32(strf, 8));
    if (U16(strf, 14) != 8)
        return false;
    format.compression = U32(strf, 16);
    uint32_t colours = U32(strf, 32);
    if (colours == 0 || colours > 256)
        colours = 256;
    // A palette cut short keeps the entries that are there; the rest stay black.
    const std::size_t available = (strf.size() - headerSize) / 4;
    format.palette.assign(256, 0);
    for (std::size_t i = 0; i < std::min<std::size_t>(colours, available); ++i) {
        const std::size_t at = headerSize + i * 4;
        format.palette[i] = (static_cast<uint32_t>(strf[at + 2]) << 16) | (strf[at + 1] << 8) | strf[at];
    }
    return true;
}

bool ReadStreamList(std::span<const uint8_t> body, int streamIndex, Parsed& parsed)
{
    std::vector<Chunk> chunks;
    if (!Chunks(body, chunks))
        return false;
    bool video = false;
    for (const Chunk& chunk : chunks) {
        if (Is(body, chunk.id, "strh") && chunk.data.size() >= 28 && Is(chunk.data, 0, "vids") &&
            parsed.videoStream < 0) {
            video = true;
            parsed.videoStream = streamIndex;
            const uint32_t scale = U32(chunk.data, 20);
            const uint32_t rate = U32(chunk.data, 24);
            if (rate != 0)
                parsed.streamMicroseconds = static_cast<int>(
                    std::min<uint64_t>(static_cast<uint64_t>(scale) * 1000000 / rate, kMaxFrameMicroseconds));
        } else if (video && Is(body, chunk.id, "strf")) {
            if (!ReadFormat(chunk.data, parsed.format))
                return false;
            parsed.haveHeader = true;
        }
    }
    return !video || parsed.haveHeader;
}

bool ReadHeaderList(std::span<const uint8_t> body, Parsed& parsed)
{
    std::vector<Chunk> chunks;
    if (!Chunks(body, chunks))
        return false;
    int streamIndex = 0;
    for (const Chunk& chunk : chunks) {
        if (Is(body, chunk.id, "avih")) {
            if (chunk.data.size() < 40)
                return false;
            parsed.mainMicroseconds =
                static_cast<int>(std::min<uint32_t>(U32(chunk.data, 0), kMaxFrameMicroseconds));
        } else if (Is(body, chunk.id, "LIST") && chunk.data.size() >= 4 && Is(chunk.data, 0, "strl")) {
            if (!ReadStreamList(chunk.data.subspan(4), streamIndex++, parsed))
                return false;
        }
    }
    return true;
}

bool IsFrameOf(std::span<const uint8_t> body, std::size_t at, int stream)
{
    const char tens = static_cast<char>('0' + stream / 10);
    const char ones = static_cast<char>('0' + stream % 10);
    return body[at] == tens && body[at + 1] == ones &&
           ((body[at + 2] == 'd' && body[at + 3] == 'b') || (body[at + 2] == 'd' && body[at + 3] == 'c'));
}

bool ReadMovieList(std::span<const uint8_t> body, int depth, Parsed& parsed)
{
    std::vector<Chunk> chunks;
    if (depth > kMaxNesting || !Chunks(body, chunks))
        return false;
    for (const Chunk& chunk : chunks) {
        if (Is(body, chunk.id, "LIST")) {
            if (chunk.data.size() < 4 || !ReadMovieList(chunk.data.subspan(4), depth + 1, parsed))
                return false;
        } else if (IsFrameOf(body, chunk.id, parsed.videoStream)) {
            if (parsed.frames.size() >= static_cast<std::size_t>(kAviMaxFrames))
                return false;
            parsed.frames.push_back(chunk.data);
        }
    }
    return true;
}

// Decodes an RLE8 bitmap over `pixels` (the frame before, so that skipped pixels keep their value).
bool DecodeRle8(std::span<const uint8_t> data, int width, int height, std::vector<uint8_t>& pixels)
{
    int x = 0;
    int y = 0; // counted from the bottom row
    std::size_t at = 0;
    const auto put = [&](int count) -> uint8_t* {
        if (y >= height || count > width - x)
            return nullptr;
        uint8_t* row = pixels.data() + static_cast<std::size_t>(height - 1 - y) * width;
        return row + x;
    };
    // A bitmap whose data ends without the end-of-bitmap code is taken as ending there.
    while (data.size() - at >= 2) {
        const uint8_t count = data[at];
        const uint8_t code = data[at + 1];
        at += 2;
        if (count > 0) {
            uint8_t* target = put(count);
            if (!target)
                return false;
            std::fill(target, target + count, code);
            x += count;
        } else if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (data.size() - at < 2)
                return false;
            x += data[at];
            y += data[at + 1];
            at += 2;
            if (x > width || y > height)
                return false;
        } else {
            const std::size_t padded = code + (code % 2);
            uint8_t* target = put(code);
            if (!target || data.size() - at < code)
                return false;
            std::copy_n(data.data() + at, code, target);
            x += code;
            at += std::min(padded, data.size() - at);
        }
    }
    return true;
}

bool DecodeUncompressed(std::span<const uint8_t> data, int width, int height, bool topDown,
                        std::vector<uint8_t>& pixels)
{
    const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
    if (data.size() < stride * static_cast<std::size_t>(height))
        return false;
    for (int y = 0; y < height; ++y) {
        const int target = topDown ? y : height - 1 - y;
        std::copy_n(data.data() + static_cast<std::size_t>(y) * stride, width,
                    pixels.data() + static_cast<std::size_t>(target) * width);
    }
    return true;
}

} // namespace

std::optional<AviClip> ReadAvi(std::span<const uint8_t> bytes)
{
    if (bytes.size() < 12 || !Is(bytes, 0, "RIFF") || !Is(bytes, 8, "AVI "))
        return std::nullopt;
    const uint32_t riffSize = U32(bytes, 4);
    if (riffSize < 4 || riffSize > bytes.size() - 8)
        return std::nullopt; // truncated
    const std::span<const uint8_t> body = bytes.subspan(12, riffSize - 4);
    std::vector<Chunk> chunks;
    if (!Chunks(body, chunks))
        return std::nullopt;

    Parsed parsed;
    for (const Chunk& chunk : chunks) {
        if (!Is(body, chunk.id, "LIST") || chunk.data.size() < 4)
            continue;
        const std::span<const uint8_t> list = chunk.data.subspan(4);
        if (Is(chunk.data, 0, "hdrl") && !ReadHeaderList(list, parsed))
            return std::nullopt;
        if (Is(chunk.data, 0, "movi") && (parsed.videoStream < 0 || !ReadMovieList(list, 0, parsed)))
            return std::nullopt;
    }

    const VideoFormat& format = parsed.format;
    const int64_t side = format.height < 0 ? -static_cast<int64_t>(format.height) : format.height;
    if (!parsed.haveHeader || parsed.frames.empty() || format.width <= 0 || format.width > kAviMaxSide ||
        side <= 0 || side > kAviMaxSide)
        return std::nullopt;
    const int height = static_cast<int>(side);
    const int64_t framePixels = static_cast<int64_t>(format.width) * height;
    if (framePixels * static_cast<int64_t>(parsed.frames.size()) > kAviMaxPixels)
        return std::nullopt;
    const bool topDown = format.height < 0;
    if (format.compression != kBiRgb && (format.compression != kBiRle8 || topDown))
        return std::nullopt; // RLE bitmaps are always bottom-up

    AviClip clip;
    clip.width = format.width;
    clip.height = height;
    clip.palette = format.palette;
    int microseconds = parsed.mainMicroseconds > 0 ? parsed.mainMicroseconds : parsed.streamMicroseconds;
    if (microseconds <= 0)
        microseconds = kDefaultFrameMicroseconds;
    clip.frameMicroseconds = std::clamp(microseconds, kMinFrameMicroseconds, kMaxFrameMicroseconds);
    std::vector<uint8_t> pixels(static_cast<std::size_t>(framePixels), 0);
    for (std::span<const uint8_t> frame : parsed.frames) {
        const bool ok = format.compression == kBiRle8
                            ? DecodeRle8(frame, format.width, height, pixels)
                            : DecodeUncompressed(frame, format.width, height, topDown, pixels);
        if (!ok)
            return std::nullopt;
        clip.frames.push_back(pixels);
    }
    return clip;
}

} // namespace qb

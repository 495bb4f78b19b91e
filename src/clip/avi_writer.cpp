#include "clip/avi_writer.h"

#include <algorithm>
#include <cstddef>

namespace qb {
namespace {

constexpr uint32_t kAvifHasIndex = 0x10;
constexpr uint32_t kAviifKeyFrame = 0x10;
// Unchanged pixels shorter than this are cheaper to write again than to skip with a delta code.
constexpr int kMinSkip = 4;

class ByteWriter {
public:
    std::vector<uint8_t> bytes;

    void U8(uint8_t value) { bytes.push_back(value); }
    void U16(uint16_t value)
    {
        U8(static_cast<uint8_t>(value & 0xFF));
        U8(static_cast<uint8_t>(value >> 8));
    }
    void U32(uint32_t value)
    {
        U16(static_cast<uint16_t>(value & 0xFFFF));
        U16(static_cast<uint16_t>(value >> 16));
    }
    void FourCc(const char (&code)[5]) { bytes.insert(bytes.end(), code, code + 4); }
    // Starts a chunk and returns where its size goes.
    std::size_t Begin(const char (&id)[5])
    {
        FourCc(id);
        const std::size_t at = bytes.size();
        U32(0);
        return at;
    }
    std::size_t BeginList(const char (&id)[5], const char (&type)[5])
    {
        const std::size_t at = Begin(id);
        FourCc(type);
        return at;
    }
    // Writes the chunk's size and pads its data to an even length.
    void End(std::size_t sizeAt)
    {
        const auto size = static_cast<uint32_t>(bytes.size() - sizeAt - 4);
        for (int i = 0; i < 4; ++i)
            bytes[sizeAt + i] = static_cast<uint8_t>(size >> (8 * i));
        if (size % 2 != 0)
            U8(0);
    }
};

void PutRun(std::vector<uint8_t>& out, int count, uint8_t value)
{
    while (count > 0) {
        const int n = std::min(count, 255);
        out.push_back(static_cast<uint8_t>(n));
        out.push_back(value);
        count -= n;
    }
}

// Writes row[from, to) as encoded runs and absolute spans.
void PutPixels(std::vector<uint8_t>& out, const uint8_t* row, int from, int to)
{
    int x = from;
    while (x < to) {
        int run = 1;
        while (x + run < to && row[x + run] == row[x])
            ++run;
        if (run >= 3 || to - x < 3) {
            PutRun(out, run, row[x]);
            x += run;
            continue;
        }
        // A literal span ends where a run of three begins.
        int end = x;
        while (end < to && end - x < 255) {
            if (end + 2 < to && row[end] == row[end + 1] && row[end] == row[end + 2])
                break;
            ++end;
        }
        if (end - x < 3) {
            for (; x < end; ++x)
                PutRun(out, 1, row[x]);
            continue;
        }
        out.push_back(0);
        out.push_back(static_cast<uint8_t>(end - x));
        out.insert(out.end(), row + x, row + end);
        if ((end - x) % 2 != 0)
            out.push_back(0);
        x = end;
    }
}

void PutSkip(std::vector<uint8_t>& out, int count)
{
    while (count > 0) {
        const int n = std::min(count, 255);
        out.insert(out.end(), {0, 2, static_cast<uint8_t>(n), 0});
        count -= n;
    }
}

std::vector<uint8_t> Uncompressed(const std::vector<uint8_t>& rows, int width, int height)
{
    const int stride = (width + 3) & ~3;
    std::vector<uint8_t> out(static_cast<std::size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y) {
        const auto* source = rows.data() + static_cast<std::size_t>(height - 1 - y) * width;
        std::copy(source, source + width, out.begin() + static_cast<std::ptrdiff_t>(y) * stride);
    }
    return out;
}

} // namespace

std::vector<uint8_t> EncodeRle8(const std::vector<uint8_t>& rows, const std::vector<uint8_t>* previous,
                                int width, int height)
{
    std::vector<uint8_t> out;
    const auto rowAt = [&](const std::vector<uint8_t>& frame, int y) {
        return frame.data() + static_cast<std::size_t>(height - 1 - y) * width; // bitmaps run bottom-up
    };
    const auto same = [&](int y, int x) { return previous && rowAt(*previous, y)[x] == rowAt(rows, y)[x]; };
    const auto restUnchanged = [&](int fromY) {
        if (!previous)
            return false;
        for (int y = fromY; y < height; ++y) {
            if (!std::equal(rowAt(rows, y), rowAt(rows, y) + width, rowAt(*previous, y)))
                return false;
        }
        return true;
    };
    for (int y = 0; y < height; ++y) {
        if (restUnchanged(y))
            break;
        const uint8_t* row = rowAt(rows, y);
        int x = 0;
        while (x < width) {
            int skip = 0;
            while (x + skip < width && same(y, x + skip))
                ++skip;
            if (x + skip == width)
                break; // the end-of-line code skips the rest
            if (skip >= kMinSkip) {
                PutSkip(out, skip);
                x += skip;
                continue;
            }
            // Changed pixels up to the next span worth skipping.
            int end = x + std::max(skip, 1);
            while (end < width) {
                int unchanged = 0;
                while (end + unchanged < width && same(y, end + unchanged))
                    ++unchanged;
                if (unchanged >= kMinSkip || end + unchanged == width)
                    break;
                end += std::max(unchanged, 1);
            }
            PutPixels(out, row, x, end);
            x = end;
        }
        if (y + 1 < height)
            out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

std::vector<uint8_t> WriteAvi(const AviClip& clip, AviFrameEncoding encoding)
{
    const int width = clip.width;
    const int height = clip.height;
    const std::size_t pixels = static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0);
    if (width <= 0 || height <= 0 || clip.frames.empty() || clip.palette.size() > 256)
        return {};
    for (const std::vector<uint8_t>& frame : clip.frames) {
        if (frame.size() != pixels)
            return {};
    }
    const bool rle = encoding == AviFrameEncoding::Rle8;
    std::vector<std::vector<uint8_t>> data;
    for (std::size_t i = 0; i < clip.frames.size(); ++i) {
        data.push_back(rle ? EncodeRle8(clip.frames[i], i == 0 ? nullptr : &clip.frames[i - 1], width, height)
                           : Uncompressed(clip.frames[i], width, height));
    }
    std::size_t largest = 0;
    for (const std::vector<uint8_t>& frame : data)
        largest = std::max(largest, frame.size());
    const auto frameCount = static_cast<uint32_t>(clip.frames.size());
    const auto microseconds = static_cast<uint32_t>(std::max(clip.frameMicroseconds, 1));
    const auto paletteSize = static_cast<uint32_t>(clip.palette.size());

    ByteWriter w;
    const std::size_t riff = w.BeginList("RIFF", "AVI ");
    const std::size_t hdrl = w.BeginList("LIST", "hdrl");
    const std::size_t avih = w.Begin("avih");
    w.U32(microseconds);
    w.U32(static_cast<uint32_t>(largest * 1000000 / microseconds));
    w.U32(0);
    w.U32(kAvifHasIndex);
    w.U32(frameCount);
    w.U32(0);
    w.U32(1);
    w.U32(static_cast<uint32_t>(largest));
    w.U32(static_cast<uint32_t>(width));
    w.U32(static_cast<uint32_t>(height));
    for (int i = 0; i < 4; ++i)
        w.U32(0);
    w.End(avih);
    const std::size_t strl = w.BeginList("LIST", "strl");
    const std::size_t strh = w.Begin("strh");
    w.FourCc("vids");
    w.FourCc(rle ? "mrle" : "DIB ");
    w.U32(0);
    w.U16(0);
    w.U16(0);
    w.U32(0);
    w.U32(microseconds); // scale / rate = seconds per frame
    w.U32(1000000);
    w.U32(0);
    w.U32(frameCount);
    w.U32(static_cast<uint32_t>(largest));
    w.U32(0xFFFFFFFF);
    w.U32(0);
    w.U16(0);
    w.U16(0);
    w.U16(static_cast<uint16_t>(width));
    w.U16(static_cast<uint16_t>(height));
    w.End(strh);
    const std::size_t strf = w.Begin("strf");
    w.U32(40);
    w.U32(static_cast<uint32_t>(width));
    w.U32(static_cast<uint32_t>(height));
    w.U16(1);
    w.U16(8);
    w.U32(rle ? kBiRle8 : kBiRgb);
    w.U32(static_cast<uint32_t>(rle ? largest : data.front().size()));
    w.U32(0);
    w.U32(0);
    w.U32(paletteSize);
    w.U32(0);
    for (uint32_t rgb : clip.palette) {
        w.U8(static_cast<uint8_t>(rgb & 0xFF));
        w.U8(static_cast<uint8_t>((rgb >> 8) & 0xFF));
        w.U8(static_cast<uint8_t>((rgb >> 16) & 0xFF));
        w.U8(0);
    }
    w.End(strf);
    w.End(strl);
    w.End(hdrl);

    const std::size_t movi = w.BeginList("LIST", "movi");
    const std::size_t moviType = movi + 4;
    std::vector<uint32_t> offsets;
    for (const std::vector<uint8_t>& frame : data) {
        offsets.push_back(static_cast<uint32_t>(w.bytes.size() - moviType));
        const std::size_t chunk = w.Begin(rle ? "00dc" : "00db");
        w.bytes.insert(w.bytes.end(), frame.begin(), frame.end());
        w.End(chunk);
    }
    w.End(movi);
    const std::size_t idx1 = w.Begin("idx1");
    for (std::size_t i = 0; i < data.size(); ++i) {
        w.FourCc(rle ? "00dc" : "00db");
        w.U32(i == 0 || !rle ? kAviifKeyFrame : 0);
        w.U32(offsets[i]);
        w.U32(static_cast<uint32_t>(data[i].size()));
    }
    w.End(idx1);
    w.End(riff);
    return w.bytes;
}

} // namespace qb

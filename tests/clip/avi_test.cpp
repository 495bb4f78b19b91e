#include "clip/avi_reader.h"
#include "clip/avi_writer.h"
#include "clip/splash_clip_data.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <utility>

namespace qb {
namespace {

std::span<const uint8_t> Embedded()
{
    return {kSplashClip, kSplashClipSize};
}

AviClip PatternClip(int width, int height, int frames, uint32_t seed)
{
    AviClip clip;
    clip.width = width;
    clip.height = height;
    clip.frameMicroseconds = 50000;
    for (uint32_t i = 0; i < 7; ++i)
        clip.palette.push_back(0x102030 * i);
    std::mt19937 random(seed);
    std::vector<uint8_t> frame(static_cast<std::size_t>(width) * height);
    for (int f = 0; f < frames; ++f) {
        // Long runs, short runs and single changes, so every code of the encoder is used.
        for (std::size_t i = 0; i < frame.size(); ++i) {
            if (f == 0 || random() % 5 == 0)
                frame[i] = static_cast<uint8_t>(random() % 3 == 0 ? random() % 7 : (i / 9) % 7);
        }
        clip.frames.push_back(frame);
    }
    return clip;
}

uint32_t Code(const char* c)
{
    return uint32_t(uint8_t(c[0])) | uint32_t(uint8_t(c[1])) << 8 | uint32_t(uint8_t(c[2])) << 16 |
           uint32_t(uint8_t(c[3])) << 24;
}

// A minimal AVI around hand-made frame payloads, for cases the writer never produces.
std::vector<uint8_t> HandMade(int32_t width, int32_t height, uint32_t compression,
                              const std::vector<std::vector<uint8_t>>& payloads, uint16_t bits = 8)
{
    std::vector<uint8_t> b;
    const auto put = [&b](std::initializer_list<uint32_t> words) {
        for (uint32_t word : words)
            for (int shift = 0; shift < 32; shift += 8)
                b.push_back(static_cast<uint8_t>(word >> shift));
    };
    // RIFF and LIST sizes are filled in once their contents are known.
    const auto patch = [&b](std::size_t at) {
        const auto size = static_cast<uint32_t>(b.size() - at - 4);
        std::memcpy(b.data() + at, &size, 4);
    };
    put({Code("RIFF"), 0, Code("AVI "), Code("LIST"), 0, Code("hdrl"), Code("avih"), 56, 40000});
    b.resize(b.size() + 13 * 4);
    put({Code("LIST"), 0, Code("strl"), Code("strh"), 56, Code("vids")});
    b.resize(b.size() + 13 * 4);
    // The bitmap header with a palette of two colours: black, then red.
    put({Code("strf"), 48, 40, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
         1u | uint32_t{bits} << 16, compression, 0, 0, 0, 2, 0, 0x00000000, 0x00FF0000});
    patch(92);
    patch(16);
    const std::size_t movi = b.size() + 4;
    put({Code("LIST"), 0, Code("movi")});
    for (const std::vector<uint8_t>& payload : payloads) {
        put({Code(compression == 1 ? "00dc" : "00db"), static_cast<uint32_t>(payload.size())});
        b.insert(b.end(), payload.begin(), payload.end());
        if (payload.size() % 2)
            b.push_back(0);
    }
    patch(movi);
    patch(4);
    return b;
}

TEST(AviTest, EmbeddedClipIsASixteenFrameLoopOfSixtyPixels)
{
    const std::optional<AviClip> clip = ReadAvi(Embedded());
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->width, 60);
    EXPECT_EQ(clip->height, 60);
    EXPECT_EQ(clip->frames.size(), 16u);
    EXPECT_EQ(clip->frameMicroseconds, 80000);
    // The background key is white, the padlock's middle is not, and the highlight moves.
    EXPECT_EQ(clip->palette[clip->frames[0][0]], 0xFFFFFFu);
    EXPECT_NE(clip->palette[clip->frames[0][40 * 60 + 20]], 0xFFFFFFu);
    EXPECT_NE(clip->frames[3], clip->frames[6]);
    EXPECT_EQ(clip->frames[14], clip->frames[15]); // the pause at the end of the loop
}

TEST(AviTest, ReadingGivesBackWhatWasWritten)
{
    const std::tuple<int, int, int> shapes[] = {{60, 60, 6}, {7, 5, 4}, {600, 3, 3}, {1, 1, 2}};
    for (const auto& [width, height, frames] : shapes) {
        for (AviFrameEncoding encoding : {AviFrameEncoding::Uncompressed, AviFrameEncoding::Rle8}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) +
                         (encoding == AviFrameEncoding::Rle8 ? " RLE8" : " raw"));
            const AviClip written = PatternClip(width, height, frames, 7);
            const std::optional<AviClip> read = ReadAvi(WriteAvi(written, encoding));
            ASSERT_TRUE(read);
            EXPECT_EQ(read->width, written.width);
            EXPECT_EQ(read->height, written.height);
            EXPECT_EQ(read->frameMicroseconds, written.frameMicroseconds);
            ASSERT_EQ(read->palette.size(), 256u);
            EXPECT_TRUE(std::equal(written.palette.begin(), written.palette.end(), read->palette.begin()));
            EXPECT_EQ(read->frames, written.frames);
        }
    }
}

TEST(AviTest, DeltaFramesAreSmallerThanWholeOnes)
{
    AviClip clip = PatternClip(60, 60, 1, 3);
    clip.frames.push_back(clip.frames[0]);
    clip.frames[1][30 * 60 + 30] ^= 1;
    const std::vector<uint8_t> whole = EncodeRle8(clip.frames[1], nullptr, 60, 60);
    const std::vector<uint8_t> delta = EncodeRle8(clip.frames[1], &clip.frames[0], 60, 60);
    EXPECT_LT(delta.size(), 80u);
    EXPECT_GT(whole.size(), delta.size() * 4);
}

TEST(AviTest, Rle8CodesOfTheBitmapFormatDecodeAsDocumented)
{
    // Runs, an absolute span, a delta (5 right, 1 up), an end of line and the end of the bitmap.
    const std::vector<uint8_t> rle = {3, 4, 5, 6, 0, 3,    0x45, 0x56, 0x67, 0,    2, 0x78,
                                      0, 2, 5, 1, 2, 0x78, 0,    0,    9,    0x1E, 0, 1};
    const std::optional<AviClip> clip = ReadAvi(HandMade(20, 3, 1, {rle}));
    ASSERT_TRUE(clip);
    const std::vector<uint8_t>& p = clip->frames[0];
    const auto row = [&](int y) { return std::vector<uint8_t>(p.begin() + y * 20, p.begin() + y * 20 + 20); };
    // Bitmaps run bottom-up: the first row decoded is the last one shown.
    EXPECT_EQ(row(2), (std::vector<uint8_t>{4,    4,    4,    6, 6, 6, 6, 6, 0x45, 0x56,
                                            0x67, 0x78, 0x78, 0, 0, 0, 0, 0, 0,    0}));
    EXPECT_EQ(row(1),
              (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x78, 0x78}));
    EXPECT_EQ(row(0), (std::vector<uint8_t>{0x1E, 0x1E, 0x1E, 0x1E, 0x1E, 0x1E, 0x1E, 0x1E, 0x1E, 0,
                                            0,    0,    0,    0,    0,    0,    0,    0,    0,    0}));
    EXPECT_EQ(clip->palette[1], 0xFF0000u);
}

TEST(AviTest, UncompressedTopDownRowsAreKeptInOrder)
{
    const std::vector<uint8_t> rows = {1, 0, 0, 0, 0, 1, 0, 0}; // two rows of 1 pixel, padded to 4 bytes
    const std::optional<AviClip> clip = ReadAvi(HandMade(1, -2, 0, {rows}));
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->frames[0], (std::vector<uint8_t>{1, 0}));
}

TEST(AviTest, EveryTruncationOfAFileIsRefused)
{
    const std::vector<uint8_t> file = WriteAvi(PatternClip(9, 4, 3, 1), AviFrameEncoding::Rle8);
    for (std::size_t size = 0; size < file.size(); ++size)
        EXPECT_FALSE(ReadAvi(std::span(file.data(), size))) << "cut at " << size;
}

std::vector<uint8_t> Patched(std::vector<uint8_t> file, std::size_t at, uint32_t value)
{
    std::memcpy(file.data() + at, &value, 4);
    return file;
}

TEST(AviTest, DamagedFilesAreRefusedEachForItsOwnFault)
{
    const std::vector<uint8_t> good = HandMade(4, 2, 1, {{4, 1, 0, 0, 4, 1, 0, 1}});
    ASSERT_TRUE(ReadAvi(good)); // the base of the cases below reads
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"empty", {}},
        {"not RIFF", Patched(good, 0, Code("RIFF") + 1)},
        {"RIFF longer than the file", Patched(good, 4, static_cast<uint32_t>(good.size()))},
        {"huge chunk size", Patched(good, 16, 0xFFFFFFF0)},
        {"24 bits", HandMade(4, 2, 0, {std::vector<uint8_t>(24)}, 24)},
        {"unknown compression", HandMade(4, 2, 2, {{0, 1}})},
        {"RLE top-down", HandMade(4, -2, 1, {{0, 1}})},
        {"run past the row end", HandMade(4, 2, 1, {{5, 1, 0, 1}})},
        {"run above the top row", HandMade(4, 1, 1, {{4, 1, 0, 0, 4, 1, 0, 1}})},
        {"delta outside", HandMade(4, 2, 1, {{0, 2, 9, 0, 0, 1}})},
        {"delta cut short", HandMade(4, 2, 1, {{0, 2}})},
        {"absolute run cut short", HandMade(4, 2, 1, {{0, 4, 1, 1}})},
        {"uncompressed too short", HandMade(4, 2, 0, {{1, 2, 3}})},
        {"zero width", HandMade(0, 2, 1, {{0, 1}})},
        {"too wide", HandMade(kAviMaxSide + 1, 1, 1, {{0, 1}})},
        {"most negative height", HandMade(4, INT32_MIN, 0, {{0, 1}})},
        {"no frame", HandMade(4, 2, 1, {})}};
    for (const auto& [name, file] : cases)
        EXPECT_FALSE(ReadAvi(file)) << name;
}

TEST(AviTest, RandomlyDamagedClipsNeverCrashTheReader)
{
    const std::vector<uint8_t> good(kSplashClip, kSplashClip + kSplashClipSize);
    std::mt19937 random(42);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> file = good;
        for (int hits = 1 + static_cast<int>(random() % 4); hits > 0; --hits)
            file[random() % file.size()] = static_cast<uint8_t>(random());
        const std::optional<AviClip> clip = ReadAvi(file);
        if (!clip) {
            ++refused;
            continue;
        }
        // What is accepted is still a whole clip of sane size.
        ASSERT_GT(clip->width, 0);
        ASSERT_LE(clip->width, kAviMaxSide);
        for (const std::vector<uint8_t>& frame : clip->frames)
            ASSERT_EQ(frame.size(), static_cast<std::size_t>(clip->width) * clip->height);
    }
    EXPECT_GT(refused, 0);
}

#if defined(QB_AVI_GENERATOR) && defined(QB_CLIP_SOURCE_DIR)
TEST(AviTest, CommittedClipIsWhatTheGeneratorWrites)
{
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QProcess generator;
    generator.start(QStringLiteral(QB_AVI_GENERATOR), {out.path()});
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
    QFile fresh(out.filePath(QStringLiteral("splash_clip_data.cpp")));
    QFile committed(
        QDir(QStringLiteral(QB_CLIP_SOURCE_DIR)).filePath(QStringLiteral("splash_clip_data.cpp")));
    ASSERT_TRUE(fresh.open(QIODevice::ReadOnly));
    ASSERT_TRUE(committed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(fresh.readAll() == committed.readAll()) << "src/clip/splash_clip_data.cpp is out of date";
}
#endif

} // namespace
} // namespace qb

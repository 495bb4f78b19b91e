#include "shell/avi_reader.h"
#include "shell/avi_writer.h"
#include "shell/splash_clip_data.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <random>
#include <string>

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

// A minimal AVI around hand-made frame payloads, for cases the writer never produces.
std::vector<uint8_t> HandMade(int32_t width, int32_t height, uint32_t compression,
                              const std::vector<std::vector<uint8_t>>& payloads, uint16_t bits = 8)
{
    std::vector<uint8_t> b;
    const auto u16 = [&](uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    };
    const auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    const auto code = [&](const char* c) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(c[i]));
    };
    const auto patch = [&](std::size_t at) {
        const auto size = static_cast<uint32_t>(b.size() - at - 4);
        std::memcpy(b.data() + at, &size, 4);
    };
    code("RIFF");
    const std::size_t riff = b.size();
    u32(0);
    code("AVI ");
    code("LIST");
    const std::size_t hdrl = b.size();
    u32(0);
    code("hdrl");
    code("avih");
    u32(56);
    u32(40000);
    for (int i = 0; i < 13; ++i)
        u32(0);
    code("LIST");
    const std::size_t strl = b.size();
    u32(0);
    code("strl");
    code("strh");
    u32(56);
    code("vids");
    for (int i = 0; i < 13; ++i)
        u32(0);
    code("strf");
    u32(40 + 8);
    u32(40);
    u32(static_cast<uint32_t>(width));
    u32(static_cast<uint32_t>(height));
    u16(1);
    u16(bits);
    u32(compression);
    for (int i = 0; i < 3; ++i)
        u32(0);
    u32(2);
    u32(0);
    u32(0x00000000); // palette: black, then red
    u32(0x00FF0000);
    patch(strl);
    patch(hdrl);
    code("LIST");
    const std::size_t movi = b.size();
    u32(0);
    code("movi");
    for (const std::vector<uint8_t>& payload : payloads) {
        code(compression == 1 ? "00dc" : "00db");
        u32(static_cast<uint32_t>(payload.size()));
        b.insert(b.end(), payload.begin(), payload.end());
        if (payload.size() % 2)
            b.push_back(0);
    }
    patch(movi);
    patch(riff);
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

struct RoundTripCase {
    const char* name;
    int width;
    int height;
    int frames;
};

void PrintTo(const RoundTripCase& c, std::ostream* out)
{
    *out << c.name;
}

class AviRoundTripTest : public ::testing::TestWithParam<std::tuple<RoundTripCase, AviFrameEncoding>> {};

TEST_P(AviRoundTripTest, ReadingGivesBackWhatWasWritten)
{
    const auto& [shape, encoding] = GetParam();
    const AviClip written = PatternClip(shape.width, shape.height, shape.frames, 7);
    const std::vector<uint8_t> file = WriteAvi(written, encoding);
    ASSERT_FALSE(file.empty());
    const std::optional<AviClip> read = ReadAvi(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->width, written.width);
    EXPECT_EQ(read->height, written.height);
    EXPECT_EQ(read->frameMicroseconds, written.frameMicroseconds);
    ASSERT_EQ(read->palette.size(), 256u);
    EXPECT_TRUE(std::equal(written.palette.begin(), written.palette.end(), read->palette.begin()));
    ASSERT_EQ(read->frames.size(), written.frames.size());
    for (std::size_t f = 0; f < written.frames.size(); ++f)
        EXPECT_EQ(read->frames[f], written.frames[f]) << "frame " << f;
}

INSTANTIATE_TEST_SUITE_P(Shapes, AviRoundTripTest,
                         ::testing::Combine(::testing::Values(RoundTripCase{"square", 60, 60, 6},
                                                              RoundTripCase{"oddWidth", 7, 5, 4},
                                                              RoundTripCase{"wideRows", 600, 3, 3},
                                                              RoundTripCase{"onePixel", 1, 1, 2}),
                                            ::testing::Values(AviFrameEncoding::Uncompressed,
                                                              AviFrameEncoding::Rle8)),
                         [](const auto& param) {
                             return std::string(std::get<0>(param.param).name) +
                                    (std::get<1>(param.param) == AviFrameEncoding::Rle8 ? "Rle8" : "Raw");
                         });

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

struct DamagedCase {
    const char* name;
    std::vector<uint8_t> file;
};

void PrintTo(const DamagedCase& c, std::ostream* out)
{
    *out << c.name;
}

class AviDamagedTest : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(AviDamagedTest, IsRefused)
{
    EXPECT_FALSE(ReadAvi(GetParam().file));
}

std::vector<uint8_t> Patched(std::vector<uint8_t> file, std::size_t at, uint32_t value)
{
    std::memcpy(file.data() + at, &value, 4);
    return file;
}

const std::vector<uint8_t> kGood = HandMade(4, 2, 1, {{4, 1, 0, 0, 4, 1, 0, 1}});

INSTANTIATE_TEST_SUITE_P(
    Cases, AviDamagedTest,
    ::testing::Values(DamagedCase{"empty", {}}, DamagedCase{"notRiff", Patched(kGood, 0, 0x46464952 + 1)},
                      DamagedCase{"riffLongerThanFile",
                                  Patched(kGood, 4, static_cast<uint32_t>(kGood.size()))},
                      DamagedCase{"chunkSizeHuge", Patched(kGood, 16, 0xFFFFFFF0)},
                      DamagedCase{"twentyFourBits", HandMade(4, 2, 0, {std::vector<uint8_t>(24)}, 24)},
                      DamagedCase{"unknownCompression", HandMade(4, 2, 2, {{0, 1}})},
                      DamagedCase{"rleTopDown", HandMade(4, -2, 1, {{0, 1}})},
                      DamagedCase{"runPastRowEnd", HandMade(4, 2, 1, {{5, 1, 0, 1}})},
                      DamagedCase{"runAboveTopRow", HandMade(4, 1, 1, {{4, 1, 0, 0, 4, 1, 0, 1}})},
                      DamagedCase{"deltaOutside", HandMade(4, 2, 1, {{0, 2, 9, 0, 0, 1}})},
                      DamagedCase{"deltaCutShort", HandMade(4, 2, 1, {{0, 2}})},
                      DamagedCase{"absoluteCutShort", HandMade(4, 2, 1, {{0, 4, 1, 1}})},
                      DamagedCase{"uncompressedTooShort", HandMade(4, 2, 0, {{1, 2, 3}})},
                      DamagedCase{"zeroWidth", HandMade(0, 2, 1, {{0, 1}})},
                      DamagedCase{"tooWide", HandMade(kAviMaxSide + 1, 1, 1, {{0, 1}})},
                      DamagedCase{"mostNegativeHeight", HandMade(4, INT32_MIN, 0, {{0, 1}})},
                      DamagedCase{"noFrame", HandMade(4, 2, 1, {})}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(AviTest, GoodHandMadeFileIsAccepted)
{
    // The base of the damaged cases above reads, so each of them fails for its own fault.
    ASSERT_TRUE(ReadAvi(kGood));
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

#if defined(QB_AVI_GENERATOR) && defined(QB_SHELL_SOURCE_DIR)
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
        QDir(QStringLiteral(QB_SHELL_SOURCE_DIR)).filePath(QStringLiteral("splash_clip_data.cpp")));
    ASSERT_TRUE(fresh.open(QIODevice::ReadOnly));
    ASSERT_TRUE(committed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(fresh.readAll() == committed.readAll()) << "src/shell/splash_clip_data.cpp is out of date";
}
#endif

} // namespace
} // namespace qb

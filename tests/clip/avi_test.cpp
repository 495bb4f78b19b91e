#include "clip/avi_reader.h"
#include "clip/avi_writer.h"
#include "clip/splash_clip_data.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace qb {
namespace {

// Frames of long runs, short runs and scattered changes, so that every code of the encoder is used.
AviClip PatternClip(int width, int height, int frames)
{
    AviClip clip{width, height, 50000, std::vector<uint32_t>(256, 0x102030), {}};
    clip.palette[4] = 0xFFFFFF;
    std::mt19937 random(7);
    std::vector<uint8_t> frame(static_cast<std::size_t>(width) * height);
    for (int f = 0; f < frames; ++f) {
        for (std::size_t i = 0; i < frame.size(); ++i)
            if (f == 0 || random() % 5 == 0)
                frame[i] = static_cast<uint8_t>(random() % 3 == 0 ? random() % 5 : (i / 9) % 5);
        clip.frames.push_back(frame);
    }
    return clip;
}

// A minimal AVI around one frame payload (no frame when empty), for cases the writer never produces: its
// headers hold only what a reader needs, and its palette is black, then red.
std::vector<uint8_t> HandMade(int32_t width, int32_t height, uint32_t compression, const std::string& payload,
                              uint32_t bits = 8)
{
    const auto u32 = [](uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    const auto chunk = [&u32](const char* id, const std::string& data) {
        return id + u32(data.size()) + data;
    };
    const std::string strf = u32(40) + u32(width) + u32(height) + u32(1 | bits << 16) + u32(compression) +
                             std::string(12, '\0') + u32(2) + u32(0) + u32(0) + u32(0xFF0000);
    const std::string strl = "strl" + chunk("strh", "vids" + std::string(24, '\0')) + chunk("strf", strf);
    const std::string hdrl = "hdrl" + chunk("avih", u32(40000) + std::string(36, '\0')) + chunk("LIST", strl);
    const std::string frame = payload.empty() ? "" : chunk(compression == 1 ? "00dc" : "00db", payload);
    const std::string file = chunk("RIFF", "AVI " + chunk("LIST", hdrl) + chunk("LIST", "movi" + frame));
    return {file.begin(), file.end()};
}

TEST(AviTest, ReadingGivesBackWhatWasWritten)
{
    for (const auto& [width, height] : std::vector<std::pair<int, int>>{{60, 60}, {7, 5}, {600, 3}, {1, 1}}) {
        for (AviFrameEncoding encoding : {AviFrameEncoding::Uncompressed, AviFrameEncoding::Rle8}) {
            SCOPED_TRACE(testing::Message() << width << "x" << height << " encoding " << int(encoding));
            const AviClip written = PatternClip(width, height, 5);
            const std::optional<AviClip> read = ReadAvi(WriteAvi(written, encoding));
            ASSERT_TRUE(read);
            EXPECT_EQ(std::tie(read->width, read->height, read->frameMicroseconds),
                      std::tie(written.width, written.height, written.frameMicroseconds));
            EXPECT_TRUE(read->palette == written.palette && read->frames == written.frames);
        }
    }
}

TEST(AviTest, HandMadeFilesDecodeAsTheBitmapFormatDocumentsOrAreRefused)
{
    const std::vector<uint8_t> good = HandMade(4, 2, 1, {4, 'a', 0, 0, 4, 'a', 0, 1});
    std::vector<uint8_t> notRiff = good, hugeChunk = good;
    notRiff[0] = 'X';
    hugeChunk[19] = 0xFF; // the header list claims more than the file holds
    // Each file as its first frame shows ('.' for pixels never written), or "" when it must be refused.
    const std::tuple<const char*, std::vector<uint8_t>, std::string> cases[] = {
        {"two RLE8 runs", good, "aaaaaaaa"},
        // Runs, an absolute span, a delta (5 right, 1 up), an end of line, the end of the bitmap; RLE8
        // bitmaps run bottom-up.
        {"RLE8 codes", HandMade(20, 3, 1, {3, 'a', 5, 'b', 0, 3,   'c', 'd', 'e', 0,   2, 'f',
                                           0, 2,   5, 1,   2, 'f', 0,   0,   9,   'g', 0, 1}),
         "ggggggggg..........."
         "..................ff"
         "aaabbbbbcdeff......."},
        {"uncompressed top-down", HandMade(1, -2, 0, {'a', 0, 0, 0, 'b', 0, 0, 0}), "ab"},
        {"not RIFF", notRiff, ""},
        {"huge chunk size", hugeChunk, ""},
        {"24 bits", HandMade(4, 2, 0, std::string(24, '\0'), 24), ""},
        {"unknown compression", HandMade(4, 2, 2, {0, 1}), ""},
        {"RLE top-down", HandMade(4, -2, 1, {0, 1}), ""},
        {"run past the row end", HandMade(4, 2, 1, {5, 1, 0, 1}), ""},
        {"run above the top row", HandMade(4, 1, 1, {4, 1, 0, 0, 4, 1, 0, 1}), ""},
        {"delta outside", HandMade(4, 2, 1, {0, 2, 9, 0, 0, 1}), ""},
        {"delta cut short", HandMade(4, 2, 1, {0, 2}), ""},
        {"absolute run cut short", HandMade(4, 2, 1, {0, 4, 1, 1}), ""},
        {"uncompressed too short", HandMade(4, 2, 0, {1, 2, 3}), ""},
        {"zero width", HandMade(0, 2, 1, {0, 1}), ""},
        {"too wide", HandMade(kAviMaxSide + 1, 1, 1, {0, 1}), ""},
        {"most negative height", HandMade(4, INT32_MIN, 0, {0, 1}), ""},
        {"no frame", HandMade(4, 2, 1, {}), ""}};
    for (const auto& [name, file, shown] : cases) {
        const std::optional<AviClip> clip = ReadAvi(file);
        std::string text = clip ? std::string(clip->frames[0].begin(), clip->frames[0].end()) : "";
        std::replace(text.begin(), text.end(), '\0', '.');
        EXPECT_EQ(text, shown) << name;
        EXPECT_TRUE(!clip || clip->palette[1] == 0xFF0000u) << name;
    }
}

TEST(AviTest, TruncatedOrRandomlyDamagedClipsAreRefusedOrReadWhole)
{
    const std::vector<uint8_t> good(kSplashClip, kSplashClip + kSplashClipSize);
    ASSERT_TRUE(ReadAvi(good));
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(ReadAvi(std::span(good.data(), size))) << "cut at " << size;
    std::mt19937 random(42);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> file = good;
        for (int hits = 1 + static_cast<int>(random() % 4); hits > 0; --hits)
            file[random() % file.size()] = static_cast<uint8_t>(random());
        if (const std::optional<AviClip> clip = ReadAvi(file)) {
            ASSERT_TRUE(clip->width > 0 && clip->width <= kAviMaxSide);
            for (const std::vector<uint8_t>& frame : clip->frames)
                ASSERT_EQ(frame.size(), static_cast<std::size_t>(clip->width) * clip->height);
        } else {
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}

#if defined(QB_AVI_GENERATOR) && defined(QB_CLIP_SOURCE_DIR)
TEST(AviTest, CommittedClipIsWhatTheGeneratorWrites)
{
    QTemporaryDir out;
    QProcess generator;
    generator.start(QStringLiteral(QB_AVI_GENERATOR), {out.path()});
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
    QFile fresh(out.filePath(QStringLiteral("splash_clip_data.cpp")));
    QFile committed(QStringLiteral(QB_CLIP_SOURCE_DIR "/splash_clip_data.cpp"));
    ASSERT_TRUE(fresh.open(QIODevice::ReadOnly) && committed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(fresh.readAll() == committed.readAll()) << "src/clip/splash_clip_data.cpp is out of date";
}
#endif

} // namespace
} // namespace qb

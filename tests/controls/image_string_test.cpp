#include "controls/image_string.h"
#include "controls/images/join_pieces.h"
#include "controls/picture_box.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <vector>

namespace qb {
namespace {

constexpr QRgb kBack = 0xFF102030;
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kGrey200 = qRgb(200, 200, 200);
const QRgb kGrey92 = qRgb(92, 92, 92);
const QRgb kPale = qRgb(220, 223, 236);

struct Pixel {
    int x;
    int y;
    QRgb colour;
};

std::vector<Pixel> Run(int fromX, int toX, QRgb colour)
{
    std::vector<Pixel> pixels;
    for (int x = fromX; x <= toX; ++x)
        pixels.push_back({x, 0, colour});
    return pixels;
}

struct DrawCase {
    const char* name;
    const char* text;
    qint16 stretch;
    qint16 x;
    qint16 y;
    qint16 result;
    std::vector<Pixel> painted; // every other pixel must keep the back colour
};

class DrawImageStringTest : public ::testing::TestWithParam<DrawCase> {};

TEST_P(DrawImageStringTest, PaintsExactlyTheListedPixels)
{
    const DrawCase& c = GetParam();
    QImage surface(60, 12, QImage::Format_RGB32);
    surface.fill(kBack);
    EXPECT_EQ(DrawImageString(surface, c.stretch, QString::fromLatin1(c.text), c.x, c.y), c.result);
    QImage expected(60, 12, QImage::Format_RGB32);
    expected.fill(kBack);
    for (const Pixel& p : c.painted)
        expected.setPixel(p.x, p.y, p.colour);
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x)
            ASSERT_EQ(surface.pixel(x, y), expected.pixel(x, y)) << "at " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DrawImageStringTest,
    ::testing::Values(
        DrawCase{"TwoColumns",
                 "1,15523804,15523804,6052956,15523804",
                 1,
                 2,
                 3,
                 1,
                 {{2, 3, kPale}, {2, 4, kPale}, {3, 3, kGrey92}, {3, 4, kPale}}},
        DrawCase{"PackedRedIsLowByteAndColumnsAreCounted",
                 "0,255,65280,16711680",
                 1,
                 0,
                 0,
                 2,
                 {{0, 0, kRed}, {1, 0, kGreen}, {2, 0, qRgb(0, 0, 255)}}},
        DrawCase{"TransparentColumnStillCounts", "1,-1,-1,255,255", 1, 0, 0, 1, {{1, 0, kRed}, {1, 1, kRed}}},
        DrawCase{"StretchedColumnCoversItsRunOnly", "0,13158600", 40, 3, 0, 0, Run(3, 42, kGrey200)},
        DrawCase{"ShortLastColumnDrawsFromTheTop",
                 "1,255,255,65280",
                 1,
                 0,
                 0,
                 1,
                 {{0, 0, kRed}, {0, 1, kRed}, {1, 0, kGreen}}},
        // A later column overdraws all but the first pixel of the runs before it.
        DrawCase{"LaterColumnsOverdrawEarlierRuns", "0,255,65280", 5, 0, 0, 1,
                 [] {
                     auto pixels = Run(1, 5, kGreen);
                     pixels.push_back({0, 0, kRed});
                     return pixels;
                 }()},
        // Where the later column is transparent the earlier run stays visible.
        DrawCase{"TransparentLaterColumnKeepsEarlierRun", "0,255,-1", 4, 0, 0, 1, Run(0, 3, kRed)},
        DrawCase{"StretchBelowOneDrawsNothingButCounts", "0,255,255,255", 0, 0, 0, 2, {}},
        DrawCase{"NegativeStretchDrawsNothing", "0,255", -3, 0, 0, 0, {}},
        DrawCase{"NonNumbersAreTransparent", "0,abc,255,,x1", 1, 0, 0, 3, {{1, 0, kRed}}},
        DrawCase{"NoPixelValuesDrawNothing", "3", 1, 0, 0, 0, {}},
        DrawCase{"EmptyTextDrawsNothing", "", 1, 0, 0, 0, {}},
        DrawCase{"ColourBitsAboveTwentyFourIgnored", "0,16777471", 1, 0, 0, 0, {{0, 0, kRed}}},
        DrawCase{"NegativePositionIsClipped", "0,255,65280", 1, -1, 0, 1, {{0, 0, kGreen}}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ImageStringTest, SizeAndImageCountAShortLastColumnAndKeepTransparency)
{
    EXPECT_EQ(ImageStringSize(QStringLiteral("3,5723991,7828853,8421504,11316139")), QSize(1, 4));
    EXPECT_TRUE(ImageStringSize(QStringLiteral("0")).isEmpty());
    const QImage image = ImageStringToImage(QStringLiteral("1,-1,255,65280"));
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(image.pixel(0, 1), kRed);
    EXPECT_EQ(image.pixel(1, 0), kGreen);
    EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0);
    EXPECT_EQ(PackColor(QColor(78, 164, 241)), 15836238);
    EXPECT_EQ(PackedColor(static_cast<qint32>(0xFF0000FFu)), QColor(255, 0, 0));
    const char* const pieces[4] = {"1,2,", "3,", "4", nullptr};
    EXPECT_EQ(images::JoinPieces(pieces), QStringLiteral("1,2,3,4"));
}

TEST(PictureBoxTest, DrawingSurvivesARepaintAndAGrowAndLinesLeaveOutTheirEndPoint)
{
    PictureBox box;
    box.resize(10, 4);
    box.SetBackColor(PackColor(QColor(1, 2, 3)));
    box.DrawImageString(1, QStringLiteral("0,255"), 9, 3);
    box.show();
    box.resize(20, 6);
    const QImage shot = test::Shot(&box);
    EXPECT_EQ(shot.pixel(9, 3), kRed);
    EXPECT_EQ(shot.pixel(15, 5), qRgb(1, 2, 3));
    box.SetBackColor(0);
    box.Line(QPoint(0, 0), QPoint(0, 4), 255);
    box.Line(QPoint(5, 5), QPoint(1, 5), 65280);
    const QImage& surface = box.Surface();
    EXPECT_EQ(surface.pixel(0, 3), kRed);
    EXPECT_EQ(surface.pixel(0, 4), qRgb(0, 0, 0));
    EXPECT_EQ(surface.pixel(5, 5), kGreen);
    EXPECT_EQ(surface.pixel(1, 5), qRgb(0, 0, 0));
}

} // namespace
} // namespace qb

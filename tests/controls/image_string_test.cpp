#include "controls/image_string.h"
#include "controls/images/join_pieces.h"
#include "controls/picture_box.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <vector>

namespace qb {
namespace {

constexpr QRgb kBack = 0xFF102030;

struct DrawCase {
    const char* name;
    const char* text;
    qint16 stretch;
    qint16 x;
    qint16 y;
    qint16 result;
    std::vector<std::pair<QPoint, QRgb>> painted; // every other pixel must keep the back colour
};

void PrintTo(const DrawCase& c, std::ostream* os)
{
    *os << c.name;
}

class DrawImageStringTest : public ::testing::TestWithParam<DrawCase> {};

TEST_P(DrawImageStringTest, PaintsExactlyTheListedPixels)
{
    const DrawCase& c = GetParam();
    QImage surface(60, 12, QImage::Format_RGB32);
    surface.fill(kBack);
    EXPECT_EQ(DrawImageString(surface, c.stretch, QString::fromLatin1(c.text), c.x, c.y), c.result);
    QImage expected(60, 12, QImage::Format_RGB32);
    expected.fill(kBack);
    for (const auto& [point, colour] : c.painted)
        expected.setPixel(point, colour);
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x)
            ASSERT_EQ(surface.pixel(x, y), expected.pixel(x, y)) << "at " << x << "," << y;
    }
}

std::vector<std::pair<QPoint, QRgb>> Run(int fromX, int toX, int y, QRgb colour)
{
    std::vector<std::pair<QPoint, QRgb>> pixels;
    for (int x = fromX; x <= toX; ++x)
        pixels.push_back({QPoint(x, y), colour});
    return pixels;
}

std::vector<std::pair<QPoint, QRgb>> Join(std::vector<std::pair<QPoint, QRgb>> a,
                                          const std::vector<std::pair<QPoint, QRgb>>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const QRgb kGrey200 = qRgb(200, 200, 200);
const QRgb kGrey92 = qRgb(92, 92, 92);
const QRgb kGrey128 = qRgb(128, 128, 128);
const QRgb kPale = qRgb(220, 223, 236);

INSTANTIATE_TEST_SUITE_P(
    Cases, DrawImageStringTest,
    ::testing::Values(
        DrawCase{"OnePixel", "0,13158600", 1, 5, 7, 0, {{QPoint(5, 7), kGrey200}}},
        DrawCase{"OneColumnTwoRows",
                 "1,6052956,8421504",
                 1,
                 0,
                 0,
                 0,
                 {{QPoint(0, 0), kGrey92}, {QPoint(0, 1), kGrey128}}},
        DrawCase{
            "TwoColumns",
            "1,15523804,15523804,6052956,15523804",
            1,
            2,
            3,
            1,
            {{QPoint(2, 3), kPale}, {QPoint(2, 4), kPale}, {QPoint(3, 3), kGrey92}, {QPoint(3, 4), kPale}}},
        DrawCase{"PackedRedIsLowByte", "0,255", 1, 0, 0, 0, {{QPoint(0, 0), qRgb(255, 0, 0)}}},
        DrawCase{"ThreeColumnsReturnTwo",
                 "0,255,65280,16711680",
                 1,
                 0,
                 0,
                 2,
                 {{QPoint(0, 0), qRgb(255, 0, 0)},
                  {QPoint(1, 0), qRgb(0, 255, 0)},
                  {QPoint(2, 0), qRgb(0, 0, 255)}}},
        DrawCase{"TransparentColumnStillCounts",
                 "1,-1,-1,255,255",
                 1,
                 0,
                 0,
                 1,
                 {{QPoint(1, 0), qRgb(255, 0, 0)}, {QPoint(1, 1), qRgb(255, 0, 0)}}},
        DrawCase{"StretchedColumnCoversItsRunOnly", "0,13158600", 40, 3, 0, 0, Run(3, 42, 0, kGrey200)},
        DrawCase{"ShortLastColumnDrawsFromTheTop",
                 "1,255,255,65280",
                 1,
                 0,
                 0,
                 1,
                 {{QPoint(0, 0), qRgb(255, 0, 0)},
                  {QPoint(0, 1), qRgb(255, 0, 0)},
                  {QPoint(1, 0), qRgb(0, 255, 0)}}},
        // A later column overdraws all but the first pixel of the runs before it.
        DrawCase{"LaterColumnsOverdrawEarlierRuns", "0,255,65280", 5, 0, 0, 1,
                 Join({{QPoint(0, 0), qRgb(255, 0, 0)}}, Run(1, 5, 0, qRgb(0, 255, 0)))},
        // Where the later column is transparent the earlier run stays visible.
        DrawCase{"TransparentLaterColumnKeepsEarlierRun", "0,255,-1", 4, 0, 0, 1,
                 Run(0, 3, 0, qRgb(255, 0, 0))},
        DrawCase{"StretchBelowOneDrawsNothingButCounts", "0,255,255,255", 0, 0, 0, 2, {}},
        DrawCase{"NegativeStretchDrawsNothing", "0,255", -3, 0, 0, 0, {}},
        DrawCase{"NonNumbersAreTransparent", "0,abc,255,,x1", 1, 0, 0, 3, {{QPoint(1, 0), qRgb(255, 0, 0)}}},
        DrawCase{"NoPixelValuesDrawNothing", "3", 1, 0, 0, 0, {}},
        DrawCase{"EmptyTextDrawsNothing", "", 1, 0, 0, 0, {}},
        DrawCase{
            "ColourBitsAboveTwentyFourIgnored", "0,16777471", 1, 0, 0, 0, {{QPoint(0, 0), qRgb(255, 0, 0)}}},
        DrawCase{"NegativePositionIsClipped", "0,255,65280", 1, -1, 0, 1, {{QPoint(0, 0), qRgb(0, 255, 0)}}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ImageStringSizeTest, CountsColumnsAndRowsIncludingAShortLastColumn)
{
    EXPECT_EQ(ImageStringSize(QStringLiteral("3,5723991,7828853,8421504,11316139")), QSize(1, 4));
    EXPECT_EQ(ImageStringSize(QStringLiteral("1,1,2,3")), QSize(2, 2));
    EXPECT_TRUE(ImageStringSize(QStringLiteral("0")).isEmpty());
}

TEST(ImageStringToImageTest, KeepsTransparentPixelsTransparent)
{
    const QImage image = ImageStringToImage(QStringLiteral("1,-1,255,65280,-1"));
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(image.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0);
}

TEST(PackedColourTest, RoundTripsAndIgnoresHighBits)
{
    EXPECT_EQ(PackedColor(8421504), QColor(128, 128, 128));
    EXPECT_EQ(PackedColor(14078416), QColor(208, 209, 214));
    EXPECT_EQ(PackColor(QColor(78, 164, 241)), 15836238);
    EXPECT_EQ(PackedColor(static_cast<qint32>(0xFF0000FFu)), QColor(255, 0, 0));
}

TEST(JoinPiecesTest, ConcatenatesUpToTheFirstNull)
{
    const char* const pieces[4] = {"1,2,", "3,", "4", nullptr};
    EXPECT_EQ(images::JoinPieces(pieces), QStringLiteral("1,2,3,4"));
    const char* const none[1] = {nullptr};
    EXPECT_TRUE(images::JoinPieces(none).isEmpty());
}

TEST(PictureBoxTest, DrawingSurvivesARepaintAndAGrow)
{
    PictureBox box;
    box.resize(10, 4);
    box.SetBackColor(PackColor(QColor(1, 2, 3)));
    box.DrawImageString(1, QStringLiteral("0,255"), 9, 3);
    box.show();
    box.resize(20, 6);
    const QImage shot = test::Shot(&box);
    EXPECT_EQ(shot.pixel(9, 3), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(15, 5), qRgb(1, 2, 3));
    EXPECT_EQ(shot.pixel(0, 0), qRgb(1, 2, 3));
}

TEST(PictureBoxTest, LinesLeaveOutTheirEndPoint)
{
    PictureBox box;
    box.resize(6, 6);
    box.SetBackColor(0);
    box.Line(QPoint(0, 0), QPoint(0, 4), 255);
    box.Line(QPoint(5, 5), QPoint(1, 5), 65280);
    const QImage& surface = box.Surface();
    EXPECT_EQ(surface.pixel(0, 3), qRgb(255, 0, 0));
    EXPECT_EQ(surface.pixel(0, 4), qRgb(0, 0, 0));
    EXPECT_EQ(surface.pixel(2, 5), qRgb(0, 255, 0));
    EXPECT_EQ(surface.pixel(5, 5), qRgb(0, 255, 0));
    EXPECT_EQ(surface.pixel(1, 5), qRgb(0, 0, 0));
}

} // namespace
} // namespace qb

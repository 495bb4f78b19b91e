#include "controls/image_string.h"
#include "controls/picture_box.h"
#include "controls/plain_text.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <QLabel>

#include <tuple>
#include <utility>
#include <vector>

namespace qb {
namespace {

constexpr QRgb kBack = 0xFF102030;
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kGrey = qRgb(200, 200, 200);

using Pixel = std::tuple<int, int, QRgb>; // x, y, colour

std::vector<Pixel> PixelRun(int fromX, int toX, QRgb colour, std::vector<Pixel> pixels = {})
{
    for (int x = fromX; x <= toX; ++x)
        pixels.emplace_back(x, 0, colour);
    return pixels;
}

TEST(DrawImageStringTest, PaintsExactlyTheListedPixelsAndReturnsTheLastColumn)
{
    const struct {
        const char* text;
        qint16 stretch, x, y, result;
        std::vector<Pixel> painted; // every other pixel keeps the back colour
    } cases[] = {
        // Columns top to bottom, red in the low byte.
        {"1,255,65280,16711680,0", 1, 2, 3, 1, {{2, 3, kRed}, {2, 4, kGreen}, {3, 3, kBlue}, {3, 4, kBlack}}},
        {"1,-1,-1,255,255", 1, 0, 0, 1, {{1, 0, kRed}, {1, 1, kRed}}}, // a transparent column still counts
        {"0,13158600", 40, 3, 0, 0, PixelRun(3, 42, kGrey)}, // a stretched column covers its run only
        {"1,255,255,65280", 1, 0, 0, 1, {{0, 0, kRed}, {0, 1, kRed}, {1, 0, kGreen}}}, // short last column
        // A later column overdraws all but the first pixel of the runs before it, unless it is transparent.
        {"0,255,65280", 5, 0, 0, 1, PixelRun(1, 5, kGreen, {{0, 0, kRed}})},
        {"0,255,-1", 4, 0, 0, 1, PixelRun(0, 3, kRed)},
        // A stretch below one draws nothing but counts.
        {"0,255,255,255", 0, 0, 0, 2, {}},
        // Damaged text: non-numbers are transparent; no values or no text draw nothing.
        {"0,abc,255,,x1", 1, 0, 0, 3, {{1, 0, kRed}}},
        {"3", 1, 0, 0, 0, {}},
        {"", 1, 0, 0, 0, {}},
        {"0,16777471", 1, 0, 0, 0, {{0, 0, kRed}}},      // colour bits above 24 are ignored
        {"0,255,65280", 1, -1, 0, 1, {{0, 0, kGreen}}}}; // a negative position is clipped
    for (const auto& c : cases) {
        QImage surface(60, 12, QImage::Format_RGB32);
        surface.fill(kBack);
        QImage expected = surface;
        EXPECT_EQ(DrawImageString(surface, c.stretch, QString::fromLatin1(c.text), c.x, c.y), c.result)
            << c.text;
        for (const auto& [x, y, colour] : c.painted)
            expected.setPixel(x, y, colour);
        EXPECT_EQ(surface, expected) << c.text;
    }
}

TEST(ImageStringTest, SizeAndImageCountAShortLastColumnAndKeepTransparency)
{
    EXPECT_TRUE(ImageStringSize(QStringLiteral("0")).isEmpty());
    const QImage image = ImageStringToImage(QStringLiteral("1,-1,255,65280"));
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_TRUE(qAlpha(image.pixel(0, 0)) == 0 && qAlpha(image.pixel(1, 1)) == 0);
    EXPECT_TRUE(image.pixel(0, 1) == kRed && image.pixel(1, 0) == kGreen);
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
    EXPECT_TRUE(shot.pixel(9, 3) == kRed && shot.pixel(15, 5) == qRgb(1, 2, 3));
    box.SetBackColor(0);
    box.Line(QPoint(0, 0), QPoint(0, 4), 255);
    box.Line(QPoint(5, 5), QPoint(1, 5), 65280);
    const QImage& surface = box.Surface();
    EXPECT_TRUE(surface.pixel(0, 3) == kRed && surface.pixel(0, 4) == kBlack);
    EXPECT_TRUE(surface.pixel(5, 5) == kGreen && surface.pixel(1, 5) == kBlack);
}

TEST(PlainTextTest, ControlAndInvisibleCharactersAreShownEscapedAndALabelNeverReadsRichText)
{
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"a\nb\x1b[31m\t\x7f\x85", u"a\\x0Ab\\x1B[31m\\x09\\x7F\\x85"},
        {u"ev\u202Eil\u202A\u2066\u2069\u061C", u"ev\\x202Eil\\x202A\\x2066\\x2069\\x61C"},
        {u"a\u200Bb\u200D\u200F\uFEFF\u00AD\u2060", u"a\\x200Bb\\x200D\\x200F\\xFEFF\\xAD\\x2060"},
        {u"tag\U000E0041 \u00A0\u3000\u2028", u"tag\\xE0041 \\xA0\\x3000\\x2028"},
        {u"\u3164\uFE0F\U000E0100\u034F", u"\\x3164\\xFE0F\\xE0100\\x34F"},
        {u"lone\xD800!", u"lone\\xD800!"},
        {u"Grüße 𝄞 ☃ шрифт", u"Grüße 𝄞 ☃ шрифт"}};
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(EscapeControlCharacters(QString::fromUtf16(text)), QString::fromUtf16(shown));
    QLabel label;
    SetOutsideText(&label, "Path: ", "<b>/tmp/x</b>\n");
    EXPECT_TRUE(label.textFormat() == Qt::PlainText && label.text() == "Path: <b>/tmp/x</b>\\x0A");
}

} // namespace
} // namespace qb

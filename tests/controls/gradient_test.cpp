#include "controls/colour_steps.h"
#include "controls/image_string.h"
#include "controls/user_control2.h"
#include "controls/user_control3.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qb {
namespace {

using test::Rgb;

const QRgb kBack = Rgb(1, 2, 3);

// The panel adds the step once per line in real arithmetic, so where the exact value is a half the sum
// may land on either side of it.
void ExpectLevel(int actual, double exact, int line)
{
    if (std::fabs(exact - std::floor(exact) - 0.5) < 1e-6)
        EXPECT_TRUE(actual == std::floor(exact) || actual == std::ceil(exact)) << "line " << line;
    else
        EXPECT_EQ(actual, static_cast<int>(std::nearbyint(exact))) << "line " << line;
}

TEST(ColourStepsTest, AnalyzeSplitsTheColourAndPackRoundsHalvesToEvenWithinRange)
{
    UserControl3 panel;
    qint32 colour = 14078416;
    panel.Analyze(colour);
    EXPECT_EQ(QColor(panel.Red(), panel.Green(), panel.Blue()), QColor(208, 209, 214));
    EXPECT_EQ(colour, 0);
    qint32 negative = -70000;
    const ColourComponents components = AnalyzeColour(negative);
    EXPECT_EQ(components.red + components.green + components.blue, 0);
    EXPECT_EQ(negative, 0);
    EXPECT_EQ(PackComponents({2.5, 3.5, 257.55}), 2 + 256 * 4 + 65536 * 255);
    EXPECT_EQ(PackComponents({0.5, 1.5, 254.5}), 0 + 256 * 2 + 65536 * 254);
}

// UserControl3 without its own show-time painting getting in the way: a fresh surface in a known colour.
class UserControl3Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        panel.resize(50, 100);
        panel.SetBackColor(PackColor(QColor(kBack)));
    }
    QImage Surface() { return panel.Surface().convertToFormat(QImage::Format_RGB32); }
    UserControl3 panel;
};

TEST_F(UserControl3Test, GradientStepsBeforeTheFirstLineAcrossEachOrientation)
{
    // Line i carries i + 1 steps (of 2.55 down, 5.1 across); the last line lies past the far edge.
    panel.Gradient(0, 0, 16777215);
    QImage surface = Surface();
    for (int row = 0; row < 100; ++row) {
        const QRgb pixel = surface.pixel(25, row);
        ExpectLevel(qRed(pixel), 2.55 * (row + 1), row);
        EXPECT_TRUE(surface.pixel(0, row) == pixel && surface.pixel(49, row) == pixel) << row;
        EXPECT_TRUE(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel)) << row;
    }
    EXPECT_EQ(surface.pixel(0, 99), Rgb(255, 255, 255));
    panel.Gradient(1, 16777215, 0);
    surface = Surface();
    for (int column = 0; column < 50; ++column) {
        ExpectLevel(qRed(surface.pixel(column, 60)), 255 - 5.1 * (column + 1), column);
        EXPECT_EQ(surface.pixel(column, 0), surface.pixel(column, 60)) << column;
    }
}

TEST_F(UserControl3Test, UnknownOrientationOrNoExtentPaintsNothingAndShowingPaintsPaleGreyToWhite)
{
    panel.Gradient(2, 0, 16777215);
    EXPECT_EQ(Surface().pixel(49, 99), kBack);
    panel.resize(50, 0);
    panel.Gradient(0, 0, 16777215);
    panel.resize(50, 100);
    EXPECT_EQ(Surface().pixel(10, 10), kBack);
    panel.show();
    const QImage shot = test::Shot(&panel);
    EXPECT_EQ(shot.pixel(5, 0), Rgb(208, 209, 214));
    EXPECT_EQ(shot.pixel(5, 99), Rgb(255, 255, 255));
}

class UserControl2Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        QImage picture(10, 20, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        banner.SetImage1(picture, QPoint(5, 0));
        banner.resize(200, 40);
        banner.SetBackColor(PackColor(QColor(kBack)));
    }
    UserControl2 banner;
};

TEST_F(UserControl2Test, GradientPaintsTheRightHalfBetweenRulesThatFrameThePicture)
{
    banner.Gradient(15836238);
    const QImage shot = test::Shot(&banner);
    for (int x = 0; x < 100; ++x)
        ASSERT_EQ(shot.pixel(x, 30), kBack) << x;
    // Column 100 is one step of 101 from white towards (78, 164, 241); column 199 the 100th step.
    const auto step = [](int start, int end, int steps) {
        return static_cast<int>(std::nearbyint(start + (end - start) / 100.0 * steps));
    };
    for (int steps : {1, 51, 100}) {
        EXPECT_EQ(shot.pixel(99 + steps, 30),
                  Rgb(step(255, 78, steps), step(255, 164, steps), step(255, 241, steps)))
            << steps;
    }
    EXPECT_EQ(shot.pixel(4, 0), kBack);
    EXPECT_EQ(shot.pixel(5, 0), Rgb(200, 200, 200));
    EXPECT_EQ(shot.pixel(199, 0), Rgb(200, 200, 200));
    const QRgb shades[] = {Rgb(87, 87, 87), Rgb(117, 117, 119), Rgb(128, 128, 128), Rgb(171, 171, 172)};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(shot.pixel(5, 16 + row), shades[row]) << row;
        EXPECT_EQ(shot.pixel(180, 16 + row), shades[row]) << row;
    }
    EXPECT_EQ(shot.pixel(4, 16), kBack);
}

TEST_F(UserControl2Test, NoWidthPaintsNoGradientAndShowingAgainKeepsAnEarlierOne)
{
    banner.resize(0, 40);
    banner.Gradient(15836238);
    banner.resize(200, 40);
    EXPECT_EQ(test::Shot(&banner).pixel(150, 30), kBack);
    banner.show();
    banner.Gradient(15836238);
    const QRgb painted = test::Shot(&banner).pixel(150, 30);
    EXPECT_NE(painted, kBack);
    banner.hide();
    banner.show();
    banner.resize(200, 41);
    EXPECT_EQ(test::Shot(&banner).pixel(150, 30), painted);
}

} // namespace
} // namespace qb

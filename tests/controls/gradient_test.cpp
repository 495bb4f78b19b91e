#include "controls/colour_steps.h"
#include "controls/image_string.h"
#include "controls/images/given_images.h"
#include "controls/pixels.h"
#include "controls/user_control2.h"
#include "controls/user_control3.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace qb {
namespace {

using test::Rgb;

const QRgb kBack = Rgb(1, 2, 3);

TEST(ColourStepsTest, NegativeComponentsBecomeZeroAndPackRoundsHalvesToEvenWithinRange)
{
    qint32 negative = -70000;
    const ColourComponents components = AnalyzeColour(negative);
    EXPECT_TRUE(components.red + components.green + components.blue == 0 && negative == 0);
    EXPECT_EQ(PackComponents({2.5, 3.5, 257.55}), 2 + 256 * 4 + 65536 * 255);
    EXPECT_EQ(PackComponents({0.5, 1.5, 254.5}), 0 + 256 * 2 + 65536 * 254);
}

// The panel adds the step once per line in real arithmetic, so where the exact value is a half the sum may
// land on either side of it: within a half of it either way.
TEST(UserControl3Test, GradientStepsBeforeTheFirstLineAndPaintsNothingWithoutAnOrientationOrExtent)
{
    UserControl3 panel; // not shown, so that its own show-time painting stays out of the way
    panel.resize(50, 100);
    panel.SetBackColor(PackColor(QColor(kBack)));
    panel.Gradient(2, 0, 16777215);
    panel.resize(50, 0);
    panel.Gradient(0, 0, 16777215);
    panel.resize(50, 100);
    EXPECT_EQ(test::CountColour(panel.Surface(), kBack), 50 * 100);
    // Line i carries i + 1 steps (of 2.55 down, 5.1 across); the last line lies past the far edge.
    panel.Gradient(0, 0, 16777215);
    QImage surface = panel.Surface();
    for (int row = 0; row < 100; ++row) {
        const QRgb pixel = surface.pixel(25, row);
        EXPECT_LE(std::fabs(qRed(pixel) - 2.55 * (row + 1)), 0.5 + 1e-6) << row;
        EXPECT_EQ(test::CountColour(surface, pixel, QRect(0, row, 50, 1)), 50) << row;
        EXPECT_TRUE(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel)) << row;
    }
    panel.Gradient(1, 16777215, 0);
    surface = panel.Surface();
    for (int column = 0; column < 50; ++column) {
        EXPECT_LE(std::fabs(qRed(surface.pixel(column, 60)) - (255 - 5.1 * (column + 1))), 0.5 + 1e-6);
        EXPECT_EQ(surface.pixel(column, 0), surface.pixel(column, 60)) << column;
    }
    panel.show();
    const QImage shot = test::Shot(&panel);
    EXPECT_TRUE(shot.pixel(5, 0) == Rgb(208, 209, 214) && shot.pixel(5, 99) == Rgb(255, 255, 255));
}

TEST(UserControl2Test, GradientPaintsTheRightHalfBetweenRulesFramingThePictureAndShowingKeepsIt)
{
    UserControl2 banner;
    QImage picture(10, 20, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    banner.SetImage1(picture, QPoint(5, 0));
    banner.SetBackColor(PackColor(QColor(kBack)));
    banner.resize(0, 40);
    banner.Gradient(15836238); // nothing to step across
    banner.resize(200, 40);
    EXPECT_EQ(test::CountColour(test::Shot(&banner), kBack, QRect(0, 21, 200, 19)), 200 * 19);
    banner.show();
    banner.Gradient(15836238);
    banner.hide();
    banner.show();
    banner.resize(200, 41);
    const QImage shot = test::Shot(&banner);
    EXPECT_EQ(test::CountColour(shot, kBack, QRect(0, 21, 100, 20)), 100 * 20);
    // Column 100 is one step of 101 from white towards (78, 164, 241); column 199 the 100th step.
    const auto step = [](int start, int end, int steps) {
        return static_cast<int>(std::nearbyint(start + (end - start) / 100.0 * steps));
    };
    for (int steps : {1, 51, 100})
        EXPECT_EQ(shot.pixel(99 + steps, 30),
                  Rgb(step(255, 78, steps), step(255, 164, steps), step(255, 241, steps)))
            << steps;
    // The rules start at the picture's left edge and run to the right edge.
    EXPECT_TRUE(shot.pixel(4, 0) == kBack && shot.pixel(4, 16) == kBack);
    for (int x : {5, 180, 199})
        EXPECT_TRUE(test::Shows(shot, {x, 0}, images::kUserControl2Top) &&
                    test::Shows(shot, {x, 16}, images::kUserControl2Bottom));
}

} // namespace
} // namespace qb

#include "traffic/class1_widget.h"

#include <gtest/gtest.h>

#include <QPalette>

#include <cmath>
#include <limits>

namespace qb {
namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kTeal = qRgb(0, 128, 128);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kRed = qRgb(255, 0, 0);

class GraphTest : public ::testing::Test {
protected:
    PictureSurface surface;
    std::shared_ptr<GraphSeries> series = std::make_shared<GraphSeries>(100, 0.0);
    Class1 graph;

    // Draws with the start-up configuration on a surface whose coordinates run 0..width, 0..height.
    void Draw(int width, int height, int16_t borderSize = 0, int borderStyle = 0)
    {
        surface.SetBorderStyle(borderStyle);
        surface.resize(width + 1 + 2 * borderStyle, height + 1 + 2 * borderStyle);
        graph.SetPictureBox(&surface);
        graph.SetDataCollection(series);
        graph.SetPicBackground(0);
        graph.SetPicForeground(0x00FF00);
        graph.SetBorderColor(0x0000FF);
        graph.SetBorderSize(borderSize);
        graph.SetGridColor(0x808000);
        graph.SetGridVisible(true);
        graph.Draw();
    }
    QRgb At(int x, int y) const { return surface.Image().pixel(x, y); }
    // How many pixels of `colour` the drawing holds in columns from `from` on.
    int Count(QRgb colour, int from = 0) const
    {
        int count = 0;
        const QImage& image = surface.Image();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = from; x < image.width(); ++x)
                count += image.pixel(x, y) == colour ? 1 : 0;
        }
        return count;
    }
};

TEST_F(GraphTest, StartUpConfigurationDrawsABlackGridWithAGreenLineAlongTheBottom)
{
    Draw(200, 100);
    int wrong = 0;
    for (int y = 0; y <= 100; ++y) {
        for (int x = 0; x <= 200; ++x) {
            QRgb expected = kBlack;
            if (y == 100)
                expected = x < 2 ? kTeal : kGreen; // the line starts 2 pixels in
            else if (x % 10 == 0 || y % 10 == 0)
                expected = kTeal; // 20 vertical lines beside the left edge, 10 horizontal below the top
            wrong += At(x, y) == expected ? 0 : 1;
        }
    }
    EXPECT_EQ(wrong, 0);
    series->clear(); // an empty series gives frame and grid only
    graph.Draw();
    EXPECT_EQ(Count(kGreen), 0);
    graph.SetGridVisible(false);
    graph.Draw();
    EXPECT_EQ(Count(kTeal), 0);
}

TEST_F(GraphTest, ALongSeriesIsCutToItsNewest100AndAShortOneEndsAtItsLastSlot)
{
    series->assign(5, 100.0);
    series->insert(series->end(), 100, 0.0);
    Draw(200, 100);
    EXPECT_EQ(*series, GraphSeries(100, 0.0)); // the caller's series is cut too
    EXPECT_EQ(Count(kGreen), 199);
    series->assign(50, 45.0);
    graph.Draw();
    EXPECT_EQ(Count(kGreen), 99); // x from 2 to 100, at y = 55
    EXPECT_EQ(At(100, 55), kGreen);
}

TEST_F(GraphTest, ValuesAbove100HugeOrNonNumericAreClippedToThePlot)
{
    series->back() = 150;
    (*series)[50] = -1e30;
    (*series)[60] = std::numeric_limits<double>::quiet_NaN();
    (*series)[70] = 1e30;
    Draw(204, 104, 2);
    EXPECT_EQ(At(200, 2), kGreen); // newest point: one step short of the plot's right end
    EXPECT_EQ(At(200, 1), kRed);
    EXPECT_EQ(At(142, 2), kGreen); // the huge value, held at the top
    EXPECT_EQ(At(102, 2), kTeal);
}

TEST_F(GraphTest, ASurfaceBorderPullsTheFrameInAndTheWindowShowsTheKeptDrawing)
{
    surface.SetAutoRedraw(false);
    Draw(200, 100, 1, 1);
    EXPECT_TRUE(surface.AutoRedraw());
    EXPECT_EQ(At(199, 50), kRed); // frames end at W - (i + 1)
    EXPECT_EQ(At(200, 50), kBlack);
    const QImage shot = surface.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(203, 103));
    for (const QPoint p : {QPoint(0, 0), QPoint(50, 50), QPoint(199, 50), QPoint(100, 98)})
        EXPECT_EQ(shot.pixel(p + QPoint(1, 1)), At(p.x(), p.y())) << p.x() << "," << p.y();
    EXPECT_EQ(shot.pixel(0, 0), surface.palette().color(QPalette::Dark).rgb());
}

TEST_F(GraphTest, DrawAfterTheSurfaceWasDestroyedDoesNothing)
{
    auto* doomed = new PictureSurface;
    graph.SetPictureBox(doomed);
    graph.SetDataCollection(series);
    delete doomed;
    graph.Draw();
    EXPECT_EQ(graph.PictureBox(), nullptr);
}

} // namespace
} // namespace qb

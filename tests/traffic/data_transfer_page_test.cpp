#include "controls/page_geometry.h"
#include "traffic/class1_widget.h"
#include "traffic/data_transfer_page.h"
#include "traffic/picture_surface_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>

#include <cmath>
#include <limits>
#include <vector>

namespace qb {
namespace {

class DataTransferPageTest : public ::testing::Test {
protected:
    DataTransferPageTest()
    {
        QObject::connect(&page, &DataTransferPage::ConnectionSelected,
                         [this](int position) { selections.push_back(position); });
    }
    QStringList Entries() const
    {
        QStringList entries;
        for (int i = 0; i < page.cboConnectionType()->count(); ++i)
            entries << page.cboConnectionType()->itemText(i);
        return entries;
    }

    DataTransferPage page;
    std::vector<int> selections;
    const QStringList interfaces{"lo ", "eth0 ", "wlan0 "};
};

TEST_F(DataTransferPageTest, TheGraphLiesInsideThePageOnWholePixelGridCells)
{
    const QRect content(0, kPageContentTop, kPageSize.width(), kPageSize.height() - kPageContentTop);
    EXPECT_TRUE(content.contains(page.PIC1()->geometry()));
    EXPECT_EQ(page.PIC1()->ScaleWidth() % 20, 0);
    EXPECT_EQ(page.PIC1()->ScaleHeight() % 10, 0);
}

// The Options page shows Label16, Label10 and Label11; this page the other nine.
TEST_F(DataTransferPageTest, EveryLabelAndEntryShowsItsTextAsPlainTextWithControlCharactersEscaped)
{
    TrafficLabels labels;
    for (const TrafficLabels::Field& field : TrafficLabels::kFields)
        labels.*field.text = QStringLiteral("<b>%1</b>\n").arg(QLatin1StringView(field.name));
    page.ShowLabels(labels);
    int shown = 0;
    for (const TrafficLabels::Field& field : TrafficLabels::kFields) {
        if (const auto* label = page.findChild<QLabel*>(QLatin1StringView(field.name))) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << field.name;
            EXPECT_EQ(label->text(), QStringLiteral("<b>%1</b>\\x0A").arg(QLatin1StringView(field.name)));
            ++shown;
        }
    }
    EXPECT_EQ(shown, 9);
    page.SetConnectionList({{"eth0\r\nwlan9 "}, 0});
    EXPECT_EQ(Entries(), QStringList{"eth0\\x0D\\x0Awlan9 "});
}

TEST_F(DataTransferPageTest, FillingTheListSelectsWithoutReportingASelectionWhichOnlyTheUserMakes)
{
    page.SetConnectionList({interfaces, 1});
    EXPECT_EQ(Entries(), interfaces);
    EXPECT_EQ(page.cboConnectionType()->currentIndex(), 1);
    // A second fill replaces the entries, also when its selection lies outside them or it is empty.
    for (int selected : {-1, 3, 7}) {
        page.SetConnectionList({interfaces, selected});
        EXPECT_EQ(page.cboConnectionType()->currentIndex(), -1) << selected;
    }
    page.SetConnectionList({});
    EXPECT_EQ(page.cboConnectionType()->count(), 0);
    EXPECT_TRUE(selections.empty());

    page.SetConnectionList({interfaces, 0});
    // The keyboard chooses without opening the popup, as a user stepping through the list does.
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(page.cboConnectionType(), &press);
    }
    EXPECT_EQ(selections, (std::vector<int>{1, 2, 1}));
}

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
    const QImage drawn = surface.Image(); // points in the margin beside the image draw nothing
    const int right = drawn.width() + 1;
    for (const int x : {-2, right})
        surface.Line(static_cast<float>(x), 5, static_cast<float>(x), 5, 0xFFFFFF);
    EXPECT_EQ(surface.Image(), drawn);
    auto* doomed = new PictureSurface; // drawing after the surface was destroyed does nothing
    graph.SetPictureBox(doomed);
    delete doomed;
    graph.Draw();
    EXPECT_EQ(graph.PictureBox(), nullptr);
}

TEST_F(GraphTest, ALongSeriesIsCutToItsNewest100AShortOneEndsAtItsLastSlotAndValuesAreClippedToThePlot)
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

    // Above 100, huge or not a number: held at the top.
    series->assign(100, 0.0);
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
    // Shown and drawn again, the surface plots into the image it has: no copy of it is made.
    const uchar* const pixels = surface.Image().constBits();
    graph.Draw();
    EXPECT_EQ(surface.Image().constBits(), pixels);
}

} // namespace
} // namespace qb

#include "controls/images/given_images.h"
#include "controls/picture_box.h"
#include "controls/pixels.h"
#include "controls/user_control4.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using namespace images;
using test::Rgb;
using test::Shot;

const QRgb kStripBack = Rgb(220, 223, 236);
const QRgb kWhite = Rgb(255, 255, 255);
const QRgb kBlack = Rgb(0, 0, 0);
const QRgb kGrey = Rgb(128, 128, 128);

class UserControl4Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        strip.setGeometry(0, 0, 150, 10);
        for (const char* entry : {"Data transfer", "Options", "Applications", "Monitoring"})
            strip.AddButton(QString::fromLatin1(entry));
        strip.ShowMe();
        strip.show();
        QObject::connect(&strip, &UserControl4::ButtonClick,
                         [this](qint16 index) { clicked.emplace_back(index, strip.SelectedEntry()); });
    }
    // An entry at rest: template size, grey text without underline on the strip colour.
    void ExpectAtRest(int index)
    {
        const QImage shot = Shot(strip.Picture2(index));
        EXPECT_EQ(strip.Picture2(index)->size(), strip.Picture2(0)->size()) << index;
        EXPECT_FALSE(strip.Picture2(index)->FontUnderline()) << index;
        EXPECT_EQ(shot.pixel(shot.width() - 1, 0), kStripBack) << index;
        EXPECT_EQ(test::CountColour(shot, kBlack) + test::CountColour(shot, kWhite), 0) << index;
    }

    UserControl4 strip;
    std::vector<std::pair<qint16, qint16>> clicked; // each entry raised with the one chosen at the time
};

TEST_F(UserControl4Test, ClickingAnEntrySelectsItBeforeButtonClickAndAgainKeepsIt)
{
    test::Hover(strip.Picture2(2));
    test::Click(strip.Picture2(2));
    const QSize tab(strip.width() * 15, strip.Picture2(0)->height() + 2);
    EXPECT_TRUE(strip.Picture2(2)->size() == tab && Shot(strip.Picture2(2)).pixel(60, 2) == kWhite);
    test::Click(strip.Picture2(2));
    EXPECT_EQ(strip.Picture2(2)->size(), tab);
    test::Click(strip.Picture2(4));
    EXPECT_EQ(clicked, (std::vector<std::pair<qint16, qint16>>{{2, 2}, {2, 2}, {4, 4}}));
    ExpectAtRest(2);
}

TEST_F(UserControl4Test,
       StripIsFramedOpenAtTheTopPointerUnderlinesInBlackAndTheTabHasATwoPixelEdgeWithCorners)
{
    const int stripHeight = strip.Picture2(4)->geometry().bottom() + 6;
    const QImage frame = Shot(strip.Picture1());
    ASSERT_EQ(frame.size(), QSize(150, stripHeight));
    EXPECT_TRUE(frame.pixel(0, 0) == kGrey && frame.pixel(149, 0) == kGrey &&
                frame.pixel(70, stripHeight - 1) == kGrey);
    EXPECT_EQ(frame.pixel(70, 0), kStripBack); // open towards the header
    QWidget* entry = strip.Picture2(2);
    test::Hover(entry);
    EXPECT_TRUE(strip.Picture2(2)->FontUnderline() && test::CountColour(Shot(entry), kBlack) > 0);
    test::Leave(entry);
    EXPECT_GT(test::CountColour(Shot(entry), kGrey), 0);
    ExpectAtRest(2);
    strip.ShowMenu(1);
    test::Hover(strip.Picture2(1));
    EXPECT_TRUE(strip.Picture2(1)->FontUnderline());
    const QImage tab = Shot(strip.Picture2(1));
    const int edge = tab.height() - 2;
    const int pw = strip.Picture1()->width();
    EXPECT_TRUE(test::Shows(tab, {0, edge}, kUserControl4LeftCorner) &&
                test::Shows(tab, {pw, edge}, kUserControl4RightCorner));
    EXPECT_TRUE(test::Shows(tab, {50, edge}, kUserControl4BottomEdge) &&
                test::Shows(tab, {pw - 1, edge}, kUserControl4BottomEdge));
    EXPECT_EQ(tab.pixel(pw + 2, edge + 1), kWhite); // then no edge
}

TEST_F(UserControl4Test, ResetShowMenuOutsideAndAddButtonLeaveNoEntryChosen)
{
    strip.ShowMenu(2);
    strip.Reset();
    for (int i = 1; i <= 4; ++i)
        ExpectAtRest(i);
    for (qint16 index : {5, 0, -1, -7})
        strip.ShowMenu(index);
    EXPECT_EQ(strip.SelectedEntry(), -1);
    EXPECT_EQ(test::CountColour(Shot(strip.Picture2(0)), kWhite), 0);
    strip.ShowMenu(1);
    strip.AddButton(QStringLiteral("More"));
    EXPECT_TRUE(strip.SelectedEntry() == -1 && strip.EntryCount() == 5);
}

} // namespace
} // namespace qb

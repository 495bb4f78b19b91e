#include "controls/image_string.h"
#include "controls/images/join_pieces.h"
#include "controls/images/picture_catalogue.h"
#include "controls/picture_box.h"
#include "controls/pixels.h"
#include "controls/user_control5.h"
#include "controls/user_control6.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::Shot;

QRgb BodyAt(int row)
{
    return test::PicturePixel(images::kUserControl5Body, 0, row);
}

TEST(UserControl5Test, PictureIsDrawnNormalAndBrighterUnderThePointerAndPictureZeroLeavesTheBody)
{
    UserControl5 button;
    button.SetCaption(QString());
    button.show();
    button.SubClassMe();
    const QImage normal = ImageStringToImage(images::JoinPieces(images::kUserControl5Pictures[0]));
    const QImage light = ImageStringToImage(images::JoinPieces(images::kUserControl5HighlightedPictures[0]));
    // A place inside the picture that the body does not share: the red of the no-entry sign.
    const QPoint inPicture(14, 9);
    const QPoint onButton = inPicture + QPoint(2, 0);
    ASSERT_NE(normal.pixel(inPicture), light.pixel(inPicture));
    EXPECT_EQ(Shot(&button).pixel(onButton), normal.pixel(inPicture));
    test::Hover(button.Picture1());
    EXPECT_EQ(Shot(&button).pixel(onButton), light.pixel(inPicture));
    test::Leave(button.Picture1());
    EXPECT_EQ(Shot(&button).pixel(onButton), normal.pixel(inPicture));
    button.SetIcon(0);
    test::Hover(button.Picture1());
    const QImage shot = Shot(&button);
    for (int y = 1; y < 34; ++y) {
        for (int x = 3; x < 30; ++x)
            ASSERT_EQ(shot.pixel(x, y), BodyAt(y)) << x << "," << y;
    }
}

TEST(UserControl5Test, PressMarksTheButtonUntilResetAndReleaseClicks)
{
    UserControl5 button;
    button.show();
    button.SubClassMe();
    int clicks = 0;
    QObject::connect(&button, &UserControl5::Click, [&] { ++clicks; });
    test::Press(button.Picture1(), test::Centre(button.Picture1()));
    EXPECT_TRUE(button.IsMarked());
    EXPECT_EQ(clicks, 0);
    test::Release(button.Picture1(), test::Centre(button.Picture1()));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(button.IsMarked());
    button.Reset();
    EXPECT_FALSE(button.IsMarked());
}

class UserControl6Test : public ::testing::TestWithParam<int> {};

TEST_P(UserControl6Test, ClickRaisesButtonClickThenResetsTheOtherTwo)
{
    const int chosen = GetParam();
    UserControl6 toolbar;
    toolbar.show();
    toolbar.SubClassMe();
    // Mark every button first, so the resets are visible.
    for (int k = 1; k <= 3; ++k)
        test::Press(toolbar.Button(k)->Picture1(), QPointF(5, 5));
    std::vector<std::vector<bool>> markedDuringEvent;
    std::vector<qint16> options;
    QObject::connect(&toolbar, &UserControl6::ButtonClick, [&](qint16 option) {
        options.push_back(option);
        markedDuringEvent.push_back(
            {toolbar.Button(1)->IsMarked(), toolbar.Button(2)->IsMarked(), toolbar.Button(3)->IsMarked()});
    });
    test::Click(toolbar.Button(chosen)->Picture1());
    ASSERT_EQ(options, std::vector<qint16>{static_cast<qint16>(chosen)});
    EXPECT_EQ(markedDuringEvent.front(), (std::vector<bool>{true, true, true}));
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(toolbar.Button(k)->IsMarked(), k == chosen) << k;
}

INSTANTIATE_TEST_SUITE_P(EachOption, UserControl6Test, ::testing::Values(1, 2, 3));

TEST(UserControl6LayoutTest, HoldsTheThreeOptionsOnTheToolbarBody)
{
    UserControl6 toolbar;
    EXPECT_EQ(toolbar.Button(1)->Caption(), QStringLiteral("Block all"));
    EXPECT_EQ(toolbar.Button(2)->Caption(), QStringLiteral("Live Update"));
    EXPECT_EQ(toolbar.Button(3)->Caption(), QStringLiteral("Options"));
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(toolbar.Button(k)->Icon(), k);
    toolbar.resize(toolbar.width() + 30, toolbar.height());
    toolbar.show();
    const QImage shot = Shot(&toolbar);
    for (int y = 0; y < 37; ++y)
        EXPECT_EQ(shot.pixel(toolbar.width() - 5, y), BodyAt(y)) << y;
}

} // namespace
} // namespace qb

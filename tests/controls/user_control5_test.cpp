#include "controls/image_string.h"
#include "controls/images/join_pieces.h"
#include "controls/images/picture_catalogue.h"
#include "controls/picture_box.h"
#include "controls/user_control5.h"
#include "controls/user_control6.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::Shot;

QRgb BodyAt(int row)
{
    return ImageStringToImage(QLatin1StringView(images::kUserControl5Body)).pixel(0, row);
}

// A place inside the picture that the body does not share: the red of the no-entry sign.
constexpr QPoint kPictureSpot(2 + 14, 9);

TEST(UserControl5Test, PictureZeroDrawsOnlyTheBodyWhereThePictureWouldBe)
{
    UserControl5 button;
    button.SetCaption(QString());
    button.SetIcon(0);
    button.show();
    const QImage shot = Shot(&button);
    for (int y = 1; y < 34; ++y) {
        for (int x = 3; x < 30; ++x)
            ASSERT_EQ(shot.pixel(x, y), BodyAt(y)) << x << "," << y;
    }
}

TEST(UserControl5Test, PictureIsDrawnNormalAndBrighterUnderThePointer)
{
    UserControl5 button;
    button.SetCaption(QString());
    button.SetIcon(1);
    button.show();
    button.SubClassMe();
    const QImage normal = ImageStringToImage(images::JoinPieces(images::kUserControl5Pictures[0]));
    const QImage light = ImageStringToImage(images::JoinPieces(images::kUserControl5HighlightedPictures[0]));
    const QPoint inPicture = kPictureSpot - QPoint(2, 0);
    EXPECT_EQ(Shot(&button).pixel(kPictureSpot), normal.pixel(inPicture));
    test::Hover(button.Picture1());
    EXPECT_EQ(Shot(&button).pixel(kPictureSpot), light.pixel(inPicture));
    EXPECT_NE(normal.pixel(inPicture), light.pixel(inPicture));
    test::Leave(button.Picture1());
    EXPECT_EQ(Shot(&button).pixel(kPictureSpot), normal.pixel(inPicture));
}

TEST(UserControl5Test, PressMarksTheButtonUntilReset)
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

TEST(UserControl5Test, SavedPropertiesHaveTheirDefaults)
{
    UserControl5 button;
    button.ReadProperties({});
    EXPECT_EQ(button.Caption(), QStringLiteral("null"));
    EXPECT_EQ(button.Icon(), 1);
    button.ReadProperties(
        {{QStringLiteral("Hold_Caption"), QStringLiteral("Options")}, {QStringLiteral("Hold_Icon"), 3}});
    PropertyBag bag;
    button.WriteProperties(bag);
    EXPECT_EQ(bag.value(QStringLiteral("Hold_Caption")).toString(), QStringLiteral("Options"));
    EXPECT_EQ(bag.value(QStringLiteral("Hold_Icon")).toInt(), 3);
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

TEST(UserControl6LayoutTest, HoldsTheThreeOptionsWithTheirPictures)
{
    UserControl6 toolbar;
    EXPECT_EQ(toolbar.Button(1)->Caption(), QStringLiteral("Block all"));
    EXPECT_EQ(toolbar.Button(2)->Caption(), QStringLiteral("Live Update"));
    EXPECT_EQ(toolbar.Button(3)->Caption(), QStringLiteral("Options"));
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(toolbar.Button(k)->Icon(), k);
}

TEST(UserControl6LayoutTest, PaintsTheToolbarBodyBehindItsButtons)
{
    UserControl6 toolbar;
    toolbar.resize(toolbar.width() + 30, toolbar.height());
    toolbar.show();
    const QImage shot = Shot(&toolbar);
    for (int y = 0; y < 37; ++y)
        EXPECT_EQ(shot.pixel(toolbar.width() - 5, y), BodyAt(y)) << y;
}

} // namespace
} // namespace qb

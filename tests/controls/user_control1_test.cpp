#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "controls/picture_box.h"
#include "controls/user_control1.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::Rgb;
using test::Shot;

const QRgb kBlue = Rgb(78, 164, 241);

// Colour of row `row` of a one-column or the given column of an image string.
QRgb ImagePixel(const char* text, int column, int row)
{
    return ImageStringToImage(QLatin1StringView(text)).pixel(column, row);
}

bool HasColour(const QImage& image, const QRect& area, QRgb colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) == colour)
                return true;
        }
    }
    return false;
}

class UserControl1Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        header.SetCaption(QString());
        header.resize(100, 50);
        header.show();
    }
    UserControl1 header;
};

TEST_F(UserControl1Test, KeepsItsHeightOf25Pixels)
{
    EXPECT_EQ(header.height(), 25);
}

TEST_F(UserControl1Test, ReleasedFaceLeavesATwoPixelMarginOfBackColour)
{
    const QImage shot = Shot(&header);
    for (int x = 0; x < 100; ++x) {
        ASSERT_EQ(shot.pixel(x, 0), kBlue) << x;
        ASSERT_EQ(shot.pixel(x, 1), kBlue) << x;
    }
    for (int y = 0; y < 25; ++y) {
        for (int x : {0, 1, 98, 99})
            ASSERT_EQ(shot.pixel(x, y), kBlue) << x << "," << y;
    }
    for (int y = 2; y < 25; ++y) {
        EXPECT_EQ(shot.pixel(2, y), ImagePixel(images::kUserControl1Edge, 0, y - 2)) << y;
        EXPECT_EQ(shot.pixel(97, y), ImagePixel(images::kUserControl1Edge, 0, y - 2)) << y;
        for (int x : {3, 50, 96})
            EXPECT_EQ(shot.pixel(x, y), ImagePixel(images::kUserControl1Body, 0, y - 2)) << x << "," << y;
    }
}

TEST_F(UserControl1Test, PressedFaceFillsTheWholeButtonWithItsCaps)
{
    header.ForceClick();
    const QImage shot = Shot(&header);
    for (int y = 0; y < 25; ++y) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(shot.pixel(c, y), ImagePixel(images::kUserControl1PressedLeftCap, c, y))
                << c << "," << y;
            EXPECT_EQ(shot.pixel(97 + c, y), ImagePixel(images::kUserControl1PressedRightCap, c, y))
                << c << "," << y;
        }
        for (int x : {3, 50, 96})
            EXPECT_EQ(shot.pixel(x, y), ImagePixel(images::kUserControl1PressedBody, 0, y)) << x << "," << y;
    }
}

TEST_F(UserControl1Test, EachPressTogglesAndTheReleaseReportsTheNewState)
{
    header.SubClassMe();
    std::vector<qint16> reported;
    QObject::connect(&header, &UserControl1::Clicked, [&](qint16 state) { reported.push_back(state); });
    test::Click(header.Picture1());
    test::Click(header.Picture1());
    header.ForceClick();
    test::Click(header.Picture1());
    header.Reset();
    test::Click(header.Picture1());
    EXPECT_EQ(reported, (std::vector<qint16>{1, 0, 0, 1}));
}

TEST_F(UserControl1Test, ForceClickAndResetRaiseNoEvent)
{
    int clicks = 0;
    QObject::connect(&header, &UserControl1::Clicked, [&] { ++clicks; });
    header.ForceClick();
    EXPECT_EQ(header.CurrentState(), 1);
    header.Reset();
    EXPECT_EQ(header.CurrentState(), 0);
    EXPECT_EQ(clicks, 0);
}

TEST_F(UserControl1Test, CaptionTurnsRedUnderThePointerAndGreyAgainOutside)
{
    header.SetCaption(QStringLiteral("Firewall"));
    header.SubClassMe();
    const QRect captionArea(4, 4, 92, 18);
    test::Hover(header.Picture1());
    EXPECT_TRUE(HasColour(Shot(&header), captionArea, Rgb(255, 0, 0)));
    test::Leave(header.Picture1());
    const QImage out = Shot(&header);
    EXPECT_FALSE(HasColour(out, captionArea, Rgb(255, 0, 0)));
    EXPECT_TRUE(HasColour(out, captionArea, Rgb(64, 64, 64)));
}

TEST_F(UserControl1Test, WithoutSubClassMeThePointerChangesNothing)
{
    int clicks = 0;
    QObject::connect(&header, &UserControl1::Clicked, [&] { ++clicks; });
    test::Click(header.Picture1());
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(header.CurrentState(), 0);
}

TEST_F(UserControl1Test, HeldDownShowsThePressedFaceEvenWhenClosing)
{
    header.ForceClick();
    header.SubClassMe();
    test::Press(header.Picture1(), test::Centre(header.Picture1()));
    EXPECT_EQ(header.CurrentState(), 0);
    EXPECT_EQ(Shot(&header).pixel(0, 10), ImagePixel(images::kUserControl1PressedLeftCap, 0, 10));
    test::Leave(header.Picture1());
    EXPECT_EQ(Shot(&header).pixel(0, 10), kBlue);
}

TEST(UserControl1PropertiesTest, CaptionIsSavedUnderStrCaption)
{
    UserControl1 header;
    header.ReadProperties({});
    EXPECT_EQ(header.Caption(), QStringLiteral("UserControl1"));
    header.ReadProperties({{QStringLiteral("strCaption"), QStringLiteral("Help")}});
    EXPECT_EQ(header.Caption(), QStringLiteral("Help"));
    PropertyBag bag;
    header.WriteProperties(bag);
    EXPECT_EQ(bag.value(QStringLiteral("strCaption")).toString(), QStringLiteral("Help"));
}

} // namespace
} // namespace qb

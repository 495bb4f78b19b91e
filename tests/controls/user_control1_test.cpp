#include "controls/images/picture_catalogue.h"
#include "controls/picture_box.h"
#include "controls/pixels.h"
#include "controls/user_control1.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::HasColour;
using test::PicturePixel;
using test::Rgb;
using test::Shot;

const QRgb kBlue = Rgb(78, 164, 241);

class UserControl1Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        header.SetCaption(QString());
        header.resize(100, 50);
        header.show();
        QObject::connect(&header, &UserControl1::Clicked,
                         [this](qint16 state) { reported.push_back(state); });
    }
    UserControl1 header;
    std::vector<qint16> reported;
};

TEST_F(UserControl1Test, ReleasedFaceIs25PixelsTallWithATwoPixelMarginOfBackColour)
{
    EXPECT_EQ(header.height(), 25);
    const QImage shot = Shot(&header);
    for (int x = 0; x < 100; ++x) {
        ASSERT_EQ(shot.pixel(x, 0), kBlue) << x;
        ASSERT_EQ(shot.pixel(x, 1), kBlue) << x;
    }
    for (int y = 2; y < 25; ++y) {
        for (int x : {0, 1, 98, 99})
            ASSERT_EQ(shot.pixel(x, y), kBlue) << x << "," << y;
        EXPECT_EQ(shot.pixel(2, y), PicturePixel(images::kUserControl1Edge, 0, y - 2)) << y;
        EXPECT_EQ(shot.pixel(97, y), PicturePixel(images::kUserControl1Edge, 0, y - 2)) << y;
        for (int x : {3, 50, 96})
            EXPECT_EQ(shot.pixel(x, y), PicturePixel(images::kUserControl1Body, 0, y - 2)) << x << "," << y;
    }
}

TEST_F(UserControl1Test, PressedFaceFillsTheWholeButtonWithItsCaps)
{
    header.ForceClick();
    const QImage shot = Shot(&header);
    for (int y = 0; y < 25; ++y) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(shot.pixel(c, y), PicturePixel(images::kUserControl1PressedLeftCap, c, y))
                << c << "," << y;
            EXPECT_EQ(shot.pixel(97 + c, y), PicturePixel(images::kUserControl1PressedRightCap, c, y))
                << c << "," << y;
        }
        for (int x : {3, 50, 96})
            EXPECT_EQ(shot.pixel(x, y), PicturePixel(images::kUserControl1PressedBody, 0, y))
                << x << "," << y;
    }
}

TEST_F(UserControl1Test, EachPressTogglesAndTheReleaseReportsTheNewStateOnlyOnceSubclassed)
{
    test::Click(header.Picture1());
    EXPECT_EQ(header.CurrentState(), 0);
    header.SubClassMe();
    test::Click(header.Picture1());
    test::Click(header.Picture1());
    header.ForceClick(); // neither ForceClick nor Reset raise an event
    EXPECT_EQ(header.CurrentState(), 1);
    test::Click(header.Picture1());
    header.Reset();
    EXPECT_EQ(header.CurrentState(), 0);
    test::Click(header.Picture1());
    EXPECT_EQ(reported, (std::vector<qint16>{1, 0, 0, 1}));
}

TEST_F(UserControl1Test, CaptionTurnsRedUnderThePointerAndGreyAgainOutside)
{
    header.SetCaption(QStringLiteral("Firewall"));
    header.SubClassMe();
    const QRect captionArea(4, 4, 92, 18);
    test::Hover(header.Picture1());
    EXPECT_TRUE(HasColour(Shot(&header), Rgb(255, 0, 0), captionArea));
    test::Leave(header.Picture1());
    const QImage out = Shot(&header);
    EXPECT_FALSE(HasColour(out, Rgb(255, 0, 0), captionArea));
    EXPECT_TRUE(HasColour(out, Rgb(64, 64, 64), captionArea));
}

TEST_F(UserControl1Test, HeldDownShowsThePressedFaceEvenWhenClosing)
{
    header.ForceClick();
    header.SubClassMe();
    test::Press(header.Picture1(), test::Centre(header.Picture1()));
    EXPECT_EQ(header.CurrentState(), 0);
    EXPECT_EQ(Shot(&header).pixel(0, 10), PicturePixel(images::kUserControl1PressedLeftCap, 0, 10));
    test::Leave(header.Picture1());
    EXPECT_EQ(Shot(&header).pixel(0, 10), kBlue);
}

} // namespace
} // namespace qb

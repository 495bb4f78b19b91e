#include "controls/images/picture_catalogue.h"
#include "controls/picture_box.h"
#include "controls/pixels.h"
#include "controls/user_control1.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::Rgb;
using test::Shot;
using test::Shows;

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

TEST_F(UserControl1Test, ReleasedFaceKeepsATwoPixelMarginAndPressedFaceFillsTheButtonWithItsCaps)
{
    QImage shot = Shot(&header);
    ASSERT_EQ(shot.size(), QSize(100, 25));
    EXPECT_EQ(test::CountColour(shot, kBlue), 100 * 25 - 96 * 23);
    for (int x : {2, 97})
        EXPECT_TRUE(Shows(shot, {x, 2}, images::kUserControl1Edge)) << x;
    for (int x : {3, 50, 96})
        EXPECT_TRUE(Shows(shot, {x, 2}, images::kUserControl1Body)) << x;
    header.ForceClick();
    shot = Shot(&header);
    EXPECT_TRUE(Shows(shot, {0, 0}, images::kUserControl1PressedLeftCap));
    EXPECT_TRUE(Shows(shot, {97, 0}, images::kUserControl1PressedRightCap));
    for (int x : {3, 50, 96})
        EXPECT_TRUE(Shows(shot, {x, 0}, images::kUserControl1PressedBody)) << x;
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

TEST_F(UserControl1Test, CaptionTurnsRedUnderThePointerAndHeldDownShowsThePressedFaceEvenWhenClosing)
{
    header.SetCaption(QStringLiteral("Firewall"));
    header.ForceClick();
    header.SubClassMe();
    const QRect captionArea(4, 4, 92, 18);
    test::Hover(header.Picture1());
    EXPECT_TRUE(test::HasColour(Shot(&header), Rgb(255, 0, 0), captionArea));
    test::Press(header.Picture1(), test::Centre(header.Picture1()));
    EXPECT_EQ(header.CurrentState(), 0);
    EXPECT_TRUE(Shows(Shot(&header), {0, 0}, images::kUserControl1PressedLeftCap));
    test::Leave(header.Picture1());
    const QImage out = Shot(&header);
    EXPECT_EQ(out.pixel(0, 10), kBlue);
    EXPECT_FALSE(test::HasColour(out, Rgb(255, 0, 0), captionArea));
    EXPECT_TRUE(test::HasColour(out, Rgb(64, 64, 64), captionArea));
}

} // namespace
} // namespace qb

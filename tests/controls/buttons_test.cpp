#include "controls/images/join_pieces.h"
#include "controls/images/picture_catalogue.h"
#include "controls/picture_box.h"
#include "controls/pixels.h"
#include "controls/user_control1.h"
#include "controls/user_control5.h"
#include "controls/user_control6.h"
#include "controls/user_control7.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <QPointer>

namespace qb {
namespace {

using namespace images;
using test::Rgb;
using test::Shot;
using test::Shows;

const QRgb kBlue = Rgb(78, 164, 241);

TEST(UserControl1Test, ReleasedFaceKeepsATwoPixelMarginAndPressedFaceFillsTheButtonWithItsCaps)
{
    UserControl1 header;
    header.SetCaption(QString());
    header.resize(100, 50);
    header.show();
    const QImage released = Shot(&header);
    header.ForceClick();
    const QImage pressed = Shot(&header);
    EXPECT_EQ(test::CountColour(released, kBlue), 100 * 25 - 96 * 23);
    EXPECT_TRUE(Shows(released, {2, 2}, kUserControl1Edge) && Shows(released, {97, 2}, kUserControl1Edge));
    EXPECT_TRUE(Shows(pressed, {0, 0}, kUserControl1PressedLeftCap) &&
                Shows(pressed, {97, 0}, kUserControl1PressedRightCap));
    for (int x : {3, 50, 96})
        EXPECT_TRUE(Shows(released, {x, 2}, kUserControl1Body) &&
                    Shows(pressed, {x, 0}, kUserControl1PressedBody));
}

TEST(UserControl1Test, EachPressTogglesAndHoldsThePressedFaceTheReleaseReportsTheStateAndTheCaptionLightsUp)
{
    UserControl1 header;
    header.SetCaption(QStringLiteral("Firewall"));
    header.show();
    std::vector<qint16> reported;
    QObject::connect(&header, &UserControl1::Clicked, [&](qint16 state) { reported.push_back(state); });
    QWidget* face = header.Picture1();
    test::Click(face); // not subclassed yet
    header.SubClassMe();
    const QRect captionArea(4, 4, 92, 18);
    test::Hover(face);
    EXPECT_GT(test::CountColour(Shot(&header), Rgb(255, 0, 0), captionArea), 0);
    test::Click(face);
    test::Click(face);
    header.ForceClick(); // neither ForceClick nor Reset raise an event
    EXPECT_EQ(header.CurrentState(), 1);
    header.Reset();
    EXPECT_EQ(header.CurrentState(), 0);
    header.ForceClick();
    test::Press(face, test::Centre(face));
    EXPECT_EQ(header.CurrentState(), 0);
    EXPECT_TRUE(Shows(Shot(&header), {0, 0}, kUserControl1PressedLeftCap)); // even when closing
    test::Leave(face);
    const QImage out = Shot(&header);
    EXPECT_TRUE(out.pixel(0, 10) == kBlue && test::CountColour(out, Rgb(255, 0, 0), captionArea) == 0);
    EXPECT_GT(test::CountColour(out, Rgb(64, 64, 64), captionArea), 0);
    test::Release(face, test::Centre(face));
    EXPECT_EQ(reported, (std::vector<qint16>{1, 0, 0}));
}

TEST(UserControl5Test, PictureIsDrawnNormalAndBrighterUnderThePointerAndPictureZeroLeavesTheBody)
{
    UserControl5 button;
    button.SetCaption(QString());
    button.show();
    button.SubClassMe();
    const QString normal = JoinPieces(kUserControl5Pictures[0]);
    EXPECT_TRUE(Shows(Shot(&button), {2, 0}, normal)); // beside the left cap
    test::Hover(button.Picture1());
    EXPECT_TRUE(Shows(Shot(&button), {2, 0}, JoinPieces(kUserControl5HighlightedPictures[0])));
    test::Leave(button.Picture1());
    EXPECT_TRUE(Shows(Shot(&button), {2, 0}, normal));
    button.SetIcon(0);
    test::Hover(button.Picture1());
    for (int x = 3; x < 30; ++x)
        ASSERT_TRUE(Shows(Shot(&button), {x, 0}, kUserControl5Body));
}

// The toolbar's buttons are marked by a press until reset and raise their click on release.
TEST(UserControl6Test, ClickRaisesButtonClickThenResetsTheOtherTwoAndTheBodyFillsTheRest)
{
    UserControl6 toolbar;
    toolbar.resize(toolbar.width() + 30, toolbar.height());
    toolbar.show();
    toolbar.SubClassMe();
    EXPECT_TRUE(Shows(Shot(&toolbar), {toolbar.width() - 5, 0}, kUserControl5Body));
    std::vector<std::pair<qint16, int>> raised; // each option with the buttons still marked meanwhile
    QObject::connect(&toolbar, &UserControl6::ButtonClick, [&](qint16 option) {
        raised.emplace_back(option, toolbar.Button(1)->IsMarked() + toolbar.Button(2)->IsMarked() +
                                        toolbar.Button(3)->IsMarked());
    });
    for (int chosen = 1; chosen <= 3; ++chosen) {
        for (int k = 1; k <= 3; ++k)
            test::Press(toolbar.Button(k)->Picture1(), QPointF(5, 5));
        test::Click(toolbar.Button(chosen)->Picture1());
        for (int k = 1; k <= 3; ++k)
            EXPECT_EQ(toolbar.Button(k)->IsMarked(), k == chosen) << chosen << " " << k;
    }
    EXPECT_EQ(raised, (std::vector<std::pair<qint16, int>>{{1, 3}, {2, 3}, {3, 3}}));
}

class UserControl7Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        button.resize(80, 40);
        button.SetCaption(QString());
        button.show();
        button.SubClassMe();
        QObject::connect(&button, &UserControl7::Click, [this] { ++clicks; });
    }
    testing::AssertionResult BodyShows(const char* body) { return Shows(Shot(&button), {40, 0}, body); }
    void Press() { test::Press(button.Picture1(), test::Centre(button.Picture1())); }

    UserControl7 button;
    int clicks = 0;
};

TEST_F(UserControl7Test, FacesFollowThePointerButNotWhileHeldAndTheOutlineShowsOnlyWhileHeld)
{
    const QImage shot = Shot(&button);
    EXPECT_TRUE(Shows(shot, {0, 0}, kUserControl7NormalLeftCap) &&
                Shows(shot, {78, 0}, kUserControl7NormalRightCap));
    EXPECT_TRUE(BodyShows(kUserControl7NormalBody));
    test::Hover(button.Picture1());
    EXPECT_TRUE(BodyShows(kUserControl7HighlightedBody));
    Press();
    test::Move(button.Picture1(), QPointF(10, 10), Qt::LeftButton);
    test::Leave(button.Picture1());
    EXPECT_TRUE(BodyShows(kUserControl7PressedBody));
    // The pressed face closes with the normal right cap.
    EXPECT_TRUE(Shows(Shot(&button), {78, 0}, kUserControl7NormalRightCap));
    EXPECT_TRUE(button.IsShapeVisible() && button.IsHeldDown() && clicks == 0);
    test::Release(button.Picture1(), test::Centre(button.Picture1()));
    EXPECT_TRUE(BodyShows(kUserControl7NormalBody) && !button.IsShapeVisible() && clicks == 1);
    Press();
    button.SetCaption(QString()); // redraws as on show, held or not
    EXPECT_TRUE(BodyShows(kUserControl7NormalBody) && !button.IsHeldDown());
}

TEST_F(UserControl7Test, DisabledButtonShowsAnEtchedCaptionButNoOutlineAndRaisesNoClick)
{
    button.SetEnabled(false);
    EXPECT_TRUE(BodyShows(kUserControl7DisabledBody));
    button.SetCaption(QStringLiteral("Delete")); // etched: white under grey
    const QImage shot = Shot(&button);
    EXPECT_TRUE(test::CountColour(shot, qRgb(255, 255, 255)) > 0 &&
                test::CountColour(shot, qRgb(192, 192, 192)) > 0);
    Press();
    EXPECT_FALSE(button.IsShapeVisible());
    test::Release(button.Picture1(), test::Centre(button.Picture1()));
    EXPECT_EQ(clicks, 0);
}

TEST(UserControl7LifetimeTest, ClickHandlerMayDeleteTheButton)
{
    QPointer<UserControl7> button = new UserControl7;
    button->show();
    button->SubClassMe();
    QObject::connect(button.data(), &UserControl7::Click, [&] { delete button.data(); });
    QWidget* picture = button->Picture1();
    test::Press(picture, QPointF(5, 5));
    test::Release(picture, QPointF(5, 5));
    EXPECT_TRUE(button.isNull());
}

} // namespace
} // namespace qb

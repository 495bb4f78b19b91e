#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "controls/picture_box.h"
#include "controls/pixels.h"
#include "controls/user_control7.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <QPointer>

namespace qb {
namespace {

using test::Shot;
using test::Shows;

// A pixel the control's own drawing never produces, to see whether it has been drawn over.
constexpr qint32 kMarker = 0x123456;

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
    void Mark() { button.Picture1()->DrawImageString(1, QStringLiteral("0,%1").arg(kMarker), 1, 1); }
    bool Marked() { return Shot(&button).pixel(1, 1) == PackedColor(kMarker).rgb(); }
    testing::AssertionResult BodyShows(const char* body) { return Shows(Shot(&button), {40, 0}, body); }
    void Press() { test::Press(button.Picture1(), test::Centre(button.Picture1())); }
    void Release() { test::Release(button.Picture1(), test::Centre(button.Picture1())); }

    UserControl7 button;
    int clicks = 0;
};

TEST_F(UserControl7Test, FacesFollowThePointerAndTheOutlineShowsOnlyWhileHeld)
{
    EXPECT_TRUE(Shows(Shot(&button), {0, 0}, images::kUserControl7NormalLeftCap));
    EXPECT_TRUE(BodyShows(images::kUserControl7NormalBody));
    test::Hover(button.Picture1());
    EXPECT_TRUE(BodyShows(images::kUserControl7HighlightedBody));
    Press();
    EXPECT_TRUE(BodyShows(images::kUserControl7PressedBody));
    // Both faces close with the normal right cap.
    EXPECT_TRUE(Shows(Shot(&button), {78, 0}, images::kUserControl7NormalRightCap));
    EXPECT_TRUE(button.IsShapeVisible() && button.IsHeldDown() && clicks == 0);
    Release();
    EXPECT_TRUE(Shows(Shot(&button), {78, 0}, images::kUserControl7NormalRightCap));
    EXPECT_TRUE(BodyShows(images::kUserControl7NormalBody));
    EXPECT_TRUE(!button.IsShapeVisible() && clicks == 1);
}

TEST_F(UserControl7Test, HoverIsNotDrawnWhileHeldButCaptionAndEnabledRedraw)
{
    Press();
    Mark();
    test::Move(button.Picture1(), QPointF(10, 10), Qt::LeftButton);
    test::Leave(button.Picture1());
    EXPECT_TRUE(Marked());
    button.SetCaption(QStringLiteral("Ok"));
    EXPECT_FALSE(Marked());
    Mark();
    button.SetEnabled(true);
    EXPECT_FALSE(Marked());
}

TEST_F(UserControl7Test, DisabledButtonRaisesNoClickAndShowsNoOutlineButStillRedraws)
{
    button.SetEnabled(false);
    Mark();
    test::Hover(button.Picture1());
    EXPECT_FALSE(Marked());
    EXPECT_TRUE(BodyShows(images::kUserControl7DisabledBody));
    button.SetCaption(QStringLiteral("Delete")); // etched: white under grey
    const QImage shot = Shot(&button);
    EXPECT_TRUE(test::HasColour(shot, qRgb(255, 255, 255)) && test::HasColour(shot, qRgb(192, 192, 192)));
    Press();
    EXPECT_FALSE(button.IsShapeVisible());
    Release();
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

#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "controls/picture_box.h"
#include "controls/user_control7.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <QPointer>

namespace qb {
namespace {

using test::Shot;

QRgb Pixel(const char* text, int column, int row)
{
    return ImageStringToImage(QLatin1StringView(text)).pixel(column, row);
}

// A pixel the control's own drawing never produces, to see whether it has been drawn over.
constexpr qint32 kMarker = 0x123456;

void Mark(UserControl7& button)
{
    button.Picture1()->DrawImageString(1, QStringLiteral("0,%1").arg(kMarker), 1, 1);
}

bool Marked(UserControl7& button)
{
    return Shot(&button).pixel(1, 1) == PackedColor(kMarker).rgb();
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
    UserControl7 button;
    int clicks = 0;
};

TEST_F(UserControl7Test, IsAlways24PixelsTall)
{
    EXPECT_EQ(button.height(), 24);
}

TEST_F(UserControl7Test, FacesFollowThePointer)
{
    const QPoint body(40, 12);
    EXPECT_EQ(Shot(&button).pixel(body), Pixel(images::kUserControl7NormalBody, 0, 12));
    test::Hover(button.Picture1());
    EXPECT_EQ(Shot(&button).pixel(body), Pixel(images::kUserControl7HighlightedBody, 0, 12));
    test::Press(button.Picture1(), test::Centre(button.Picture1()));
    EXPECT_EQ(Shot(&button).pixel(body), Pixel(images::kUserControl7PressedBody, 0, 12));
    // The pressed face closes with the normal right cap.
    EXPECT_EQ(Shot(&button).pixel(79, 12), Pixel(images::kUserControl7NormalRightCap, 1, 12));
    test::Release(button.Picture1(), test::Centre(button.Picture1()));
    EXPECT_EQ(Shot(&button).pixel(body), Pixel(images::kUserControl7NormalBody, 0, 12));
}

TEST_F(UserControl7Test, CapsSitAtBothEnds)
{
    const QImage shot = Shot(&button);
    for (int y = 0; y < 24; ++y) {
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(shot.pixel(c, y), Pixel(images::kUserControl7NormalLeftCap, c, y)) << c << "," << y;
        for (int c = 0; c < 2; ++c)
            ASSERT_EQ(shot.pixel(78 + c, y), Pixel(images::kUserControl7NormalRightCap, c, y))
                << c << "," << y;
    }
}

TEST_F(UserControl7Test, OutlineShowsOnlyWhileHeldAndClickComesOnRelease)
{
    test::Press(button.Picture1(), test::Centre(button.Picture1()));
    EXPECT_TRUE(button.IsShapeVisible());
    EXPECT_TRUE(button.IsHeldDown());
    EXPECT_EQ(clicks, 0);
    test::Release(button.Picture1(), test::Centre(button.Picture1()));
    EXPECT_FALSE(button.IsShapeVisible());
    EXPECT_EQ(clicks, 1);
}

TEST_F(UserControl7Test, HoverIsNotDrawnWhileHeld)
{
    test::Press(button.Picture1(), test::Centre(button.Picture1()));
    Mark(button);
    test::Move(button.Picture1(), QPointF(10, 10), Qt::LeftButton);
    test::Leave(button.Picture1());
    EXPECT_TRUE(Marked(button));
}

TEST_F(UserControl7Test, DisabledButtonRaisesNoClickAndShowsNoOutlineButStillRedraws)
{
    button.SetEnabled(false);
    Mark(button);
    test::Hover(button.Picture1());
    EXPECT_FALSE(Marked(button));
    EXPECT_EQ(Shot(&button).pixel(40, 12), Pixel(images::kUserControl7DisabledBody, 0, 12));
    test::Press(button.Picture1(), test::Centre(button.Picture1()));
    EXPECT_FALSE(button.IsShapeVisible());
    test::Release(button.Picture1(), test::Centre(button.Picture1()));
    EXPECT_EQ(clicks, 0);
}

TEST_F(UserControl7Test, DisabledCaptionIsEtchedWhiteUnderGrey)
{
    button.SetCaption(QStringLiteral("Delete"));
    button.SetEnabled(false);
    const QImage shot = Shot(&button);
    bool white = false;
    bool grey = false;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 80; ++x) {
            white = white || shot.pixel(x, y) == qRgb(255, 255, 255);
            grey = grey || shot.pixel(x, y) == qRgb(192, 192, 192);
        }
    }
    EXPECT_TRUE(white);
    EXPECT_TRUE(grey);
}

TEST_F(UserControl7Test, ChangingCaptionOrEnabledRedraws)
{
    Mark(button);
    button.SetCaption(QStringLiteral("Ok"));
    EXPECT_FALSE(Marked(button));
    Mark(button);
    button.SetEnabled(true);
    EXPECT_FALSE(Marked(button));
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

TEST(UserControl7PropertiesTest, SavedPropertiesHaveTheirDefaults)
{
    UserControl7 button;
    button.ReadProperties({});
    EXPECT_EQ(button.Caption(), QStringLiteral("null"));
    EXPECT_TRUE(button.Enabled());
    button.ReadProperties(
        {{QStringLiteral("Hold_Caption"), QStringLiteral("Block")}, {QStringLiteral("Hold_Enabled"), false}});
    PropertyBag bag;
    button.WriteProperties(bag);
    EXPECT_EQ(bag.value(QStringLiteral("Hold_Caption")).toString(), QStringLiteral("Block"));
    EXPECT_FALSE(bag.value(QStringLiteral("Hold_Enabled")).toBool());
}

} // namespace
} // namespace qb

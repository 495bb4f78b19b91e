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
using test::Shows;

TEST(UserControl5Test, PictureIsDrawnNormalAndBrighterUnderThePointerAndPictureZeroLeavesTheBody)
{
    UserControl5 button;
    button.SetCaption(QString());
    button.show();
    button.SubClassMe();
    const QString normal = images::JoinPieces(images::kUserControl5Pictures[0]);
    const QString light = images::JoinPieces(images::kUserControl5HighlightedPictures[0]);
    EXPECT_TRUE(Shows(Shot(&button), {2, 0}, normal)); // beside the left cap
    test::Hover(button.Picture1());
    EXPECT_TRUE(Shows(Shot(&button), {2, 0}, light));
    test::Leave(button.Picture1());
    EXPECT_TRUE(Shows(Shot(&button), {2, 0}, normal));
    button.SetIcon(0);
    test::Hover(button.Picture1());
    const QImage shot = Shot(&button);
    for (int x = 3; x < 30; ++x)
        ASSERT_TRUE(Shows(shot, {x, 0}, images::kUserControl5Body)) << x;
}

TEST(UserControl5Test, PressMarksTheButtonUntilResetAndReleaseClicks)
{
    UserControl5 button;
    button.show();
    button.SubClassMe();
    int clicks = 0;
    QObject::connect(&button, &UserControl5::Click, [&] { ++clicks; });
    test::Press(button.Picture1(), test::Centre(button.Picture1()));
    EXPECT_TRUE(button.IsMarked() && clicks == 0);
    test::Release(button.Picture1(), test::Centre(button.Picture1()));
    EXPECT_TRUE(button.IsMarked() && clicks == 1);
    button.Reset();
    EXPECT_FALSE(button.IsMarked());
}

TEST(UserControl6Test, ClickRaisesButtonClickThenResetsTheOtherTwoAndTheBodyFillsTheRest)
{
    UserControl6 toolbar;
    toolbar.resize(toolbar.width() + 30, toolbar.height());
    toolbar.show();
    toolbar.SubClassMe();
    EXPECT_TRUE(Shows(Shot(&toolbar), {toolbar.width() - 5, 0}, images::kUserControl5Body));
    std::vector<std::vector<bool>> markedDuringEvent;
    std::vector<qint16> options;
    QObject::connect(&toolbar, &UserControl6::ButtonClick, [&](qint16 option) {
        options.push_back(option);
        markedDuringEvent.push_back(
            {toolbar.Button(1)->IsMarked(), toolbar.Button(2)->IsMarked(), toolbar.Button(3)->IsMarked()});
    });
    for (int chosen = 1; chosen <= 3; ++chosen) {
        // Mark every button first, so the resets are visible.
        for (int k = 1; k <= 3; ++k)
            test::Press(toolbar.Button(k)->Picture1(), QPointF(5, 5));
        test::Click(toolbar.Button(chosen)->Picture1());
        for (int k = 1; k <= 3; ++k)
            EXPECT_EQ(toolbar.Button(k)->IsMarked(), k == chosen) << chosen << " " << k;
    }
    EXPECT_EQ(options, (std::vector<qint16>{1, 2, 3}));
    EXPECT_EQ(markedDuringEvent, std::vector<std::vector<bool>>(3, {true, true, true}));
}

} // namespace
} // namespace qb

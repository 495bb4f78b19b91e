#include "controls/con_status.h"
#include "controls/image_string.h"
#include "controls/images/join_pieces.h"
#include "controls/images/picture_catalogue.h"
#include "controls/status.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

// What ConStatus shows for a picture: the picture over the control's back colour; -1 for none.
QImage Expected(const ConStatus& control, int index)
{
    QImage expected(50, 50, QImage::Format_RGB32);
    expected.fill(PackedColor(control.BackColor()));
    if (index >= 0)
        DrawImageString(expected, 1, images::JoinPieces(images::kConStatusPictures[index]), 0, 0);
    return expected;
}

TEST(ConStatusTest, EachStatusShowsItsPictureAndOneOutsideTheRangeLeavesTheSurfaceCleared)
{
    ConStatus control;
    control.show();
    EXPECT_EQ(test::Shot(&control), Expected(control, 1)); // both screens dark until told otherwise
    for (qint16 status : {0, 2, 3, 1, 1}) {
        control.SetStatus(status);
        EXPECT_EQ(test::Shot(&control), Expected(control, status)) << status;
        EXPECT_NE(Expected(control, status), Expected(control, (status + 1) % 4)) << status;
    }
    for (qint16 status : {4, -1, 32767}) {
        control.SetStatus(0);
        control.SetStatus(status);
        EXPECT_EQ(test::Shot(&control), Expected(control, -1)) << status;
    }
}

class StatusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        status.SetPictures(Solid(Qt::green), Solid(Qt::red), Solid(Qt::yellow));
        status.show();
    }
    static QImage Solid(Qt::GlobalColor colour)
    {
        QImage image(12, 12, QImage::Format_ARGB32);
        image.fill(colour);
        return image;
    }
    QRgb Shown() { return test::Shot(&status).pixel(6, 6); }
    Status status;
};

TEST_F(StatusTest, PicturesFollowTheStatusAndSurviveShowingAgain)
{
    EXPECT_EQ(Shown(), qRgb(255, 0, 0));
    EXPECT_EQ(status.size(), QSize(12, 12));
    const std::pair<qint16, QRgb> steps[] = {
        {1, qRgb(0, 255, 0)}, {2, qRgb(255, 255, 0)}, {0, qRgb(255, 0, 0)}, {1, qRgb(0, 255, 0)}};
    for (const auto& [value, colour] : steps) {
        status.SetStatus(value);
        EXPECT_EQ(Shown(), colour) << value;
    }
    status.hide();
    status.show();
    EXPECT_EQ(Shown(), qRgb(0, 255, 0));
}

TEST_F(StatusTest, TheSameStatusAgainChangesNothingAndAnUnknownOneKeepsThePicture)
{
    status.SetStatus(1);
    status.SetPictures(Solid(Qt::blue), Solid(Qt::blue), Solid(Qt::blue));
    status.SetStatus(1);
    EXPECT_EQ(Shown(), qRgb(0, 255, 0));
    status.SetStatus(5);
    EXPECT_EQ(status.CurrentStatus(), 5);
    EXPECT_EQ(Shown(), qRgb(0, 255, 0));
}

TEST(StatusPicturesTest, DefaultPicturesTellTheThreeStatesApart)
{
    Status lights;
    lights.show();
    const QImage off = test::Shot(&lights);
    lights.SetStatus(1);
    const QImage on = test::Shot(&lights);
    lights.SetStatus(2);
    EXPECT_TRUE(on != off && test::Shot(&lights) != off && test::Shot(&lights) != on);
}

} // namespace
} // namespace qb

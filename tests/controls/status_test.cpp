#include "controls/con_status.h"
#include "controls/image_string.h"
#include "controls/images/join_pieces.h"
#include "controls/images/picture_catalogue.h"
#include "controls/status.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

// What ConStatus shows for a picture: the picture over the control's back colour.
QImage Expected(const ConStatus& control, int index)
{
    QImage expected(50, 50, QImage::Format_RGB32);
    expected.fill(PackedColor(control.BackColor()));
    DrawImageString(expected, 1, images::JoinPieces(images::kConStatusPictures[index]), 0, 0);
    return expected;
}

class ConStatusTest : public ::testing::Test {
protected:
    void SetUp() override { control.show(); }
    ConStatus control;
};

TEST_F(ConStatusTest, FreshlyShownShowsBothScreensDark)
{
    EXPECT_EQ(test::Shot(&control), Expected(control, 1));
}

TEST_F(ConStatusTest, EachStatusShowsItsPicture)
{
    for (qint16 status : {0, 2, 3, 1, 1}) {
        control.SetStatus(status);
        EXPECT_EQ(test::Shot(&control), Expected(control, status)) << status;
    }
}

TEST_F(ConStatusTest, PicturesDifferOnlyInTheirScreens)
{
    for (int a = 0; a < 4; ++a) {
        for (int b = a + 1; b < 4; ++b)
            EXPECT_NE(Expected(control, a), Expected(control, b)) << a << " " << b;
    }
    // The padlock at the top is the same in all four.
    EXPECT_EQ(Expected(control, 0).copy(0, 0, 50, 20), Expected(control, 1).copy(0, 0, 50, 20));
}

TEST_F(ConStatusTest, StatusOutsideTheRangeLeavesTheSurfaceCleared)
{
    for (qint16 status : {4, -1, 32767}) {
        control.SetStatus(0);
        control.SetStatus(status);
        QImage cleared(50, 50, QImage::Format_RGB32);
        cleared.fill(PackedColor(control.BackColor()));
        EXPECT_EQ(test::Shot(&control), cleared) << status;
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

TEST_F(StatusTest, FreshlyShownShowsThePictureForZero)
{
    EXPECT_EQ(status.CurrentStatus(), 0);
    EXPECT_EQ(Shown(), qRgb(255, 0, 0));
    EXPECT_EQ(status.size(), QSize(12, 12));
}

TEST_F(StatusTest, PicturesFollowTheStatus)
{
    const std::pair<qint16, QRgb> steps[] = {
        {1, qRgb(0, 255, 0)}, {2, qRgb(255, 255, 0)}, {0, qRgb(255, 0, 0)}, {1, qRgb(0, 255, 0)}};
    for (const auto& [value, colour] : steps) {
        status.SetStatus(value);
        EXPECT_EQ(status.CurrentStatus(), value);
        EXPECT_EQ(Shown(), colour) << value;
    }
}

TEST_F(StatusTest, TheSameStatusAgainChangesNothing)
{
    status.SetStatus(1);
    status.SetPictures(Solid(Qt::blue), Solid(Qt::blue), Solid(Qt::blue));
    status.SetStatus(1);
    EXPECT_EQ(Shown(), qRgb(0, 255, 0));
    status.SetStatus(0); // a first 0 on a fresh control is equally a no-op
}

TEST_F(StatusTest, UnknownStatusIsRecordedButKeepsThePicture)
{
    status.SetStatus(1);
    status.SetStatus(5);
    EXPECT_EQ(status.CurrentStatus(), 5);
    EXPECT_EQ(Shown(), qRgb(0, 255, 0));
}

TEST_F(StatusTest, ShowingAgainKeepsThePictureOfTheCurrentStatus)
{
    status.SetStatus(1);
    status.hide();
    status.show();
    EXPECT_EQ(Shown(), qRgb(0, 255, 0));
}

TEST(StatusPicturesTest, DefaultPicturesAreDistinctAndOfOneSize)
{
    const QImage on = ImageStringToImage(QLatin1StringView(images::kStatusOn));
    const QImage off = ImageStringToImage(QLatin1StringView(images::kStatusOff));
    const QImage idle = ImageStringToImage(QLatin1StringView(images::kStatusIdle));
    EXPECT_EQ(on.size(), off.size());
    EXPECT_EQ(on.size(), idle.size());
    EXPECT_NE(on, off);
    EXPECT_NE(on, idle);
    EXPECT_NE(off, idle);
}

} // namespace
} // namespace qb

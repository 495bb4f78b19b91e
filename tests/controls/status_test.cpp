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
    for (qint16 status : {0, 2, 3, 1, 4, -1, 32767}) {
        control.SetStatus(0);
        control.SetStatus(status);
        EXPECT_EQ(test::Shot(&control), Expected(control, status <= 3 ? status : -1)) << status;
    }
}

QImage Solid(Qt::GlobalColor colour)
{
    QImage image(12, 12, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

TEST(StatusTest, PicturesFollowTheStatusAndSurviveShowingAgainWhileTheSameOrAnUnknownOneChangesNothing)
{
    Status status;
    status.SetPictures(Solid(Qt::green), Solid(Qt::red), Solid(Qt::yellow));
    status.show();
    const auto shown = [&status] { return test::Shot(&status).pixel(6, 6); };
    EXPECT_TRUE(shown() == qRgb(255, 0, 0) && status.size() == QSize(12, 12)); // the picture's size
    const std::pair<qint16, QRgb> steps[] = {
        {1, qRgb(0, 255, 0)}, {2, qRgb(255, 255, 0)}, {0, qRgb(255, 0, 0)}, {1, qRgb(0, 255, 0)}};
    for (const auto& [value, colour] : steps) {
        status.SetStatus(value);
        EXPECT_EQ(shown(), colour) << value;
    }
    // A light that is on stays on when its page is hidden and shown again.
    status.hide();
    status.show();
    EXPECT_EQ(shown(), qRgb(0, 255, 0));
    status.SetPictures(Solid(Qt::blue), Solid(Qt::blue), Solid(Qt::blue));
    status.SetStatus(1);
    EXPECT_EQ(shown(), qRgb(0, 255, 0));
    status.SetStatus(5);
    EXPECT_TRUE(status.CurrentStatus() == 5 && shown() == qRgb(0, 255, 0));
}

} // namespace
} // namespace qb

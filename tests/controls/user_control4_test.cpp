#include "controls/picture_box.h"
#include "controls/user_control4.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::Rgb;
using test::Shot;

const QRgb kStripBack = Rgb(220, 223, 236);
const QRgb kWhite = Rgb(255, 255, 255);

bool HasColour(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour)
                return true;
        }
    }
    return false;
}

class UserControl4Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        strip.setGeometry(0, 0, 150, 10);
        for (const char* entry : {"Data transfer", "Options", "Applications", "Monitoring"})
            strip.AddButton(QString::fromLatin1(entry));
        strip.ShowMe();
        strip.show();
        QObject::connect(&strip, &UserControl4::ButtonClick, [this](qint16 index) {
            clicked.push_back(index);
            selectedDuringEvent.push_back(strip.SelectedEntry());
        });
    }
    QImage EntryShot(int index) { return Shot(strip.Picture2(index)); }

    UserControl4 strip;
    std::vector<qint16> clicked;
    std::vector<qint16> selectedDuringEvent;
};

TEST_F(UserControl4Test, EntriesStackUnderTheTemplate)
{
    ASSERT_EQ(strip.EntryCount(), 4);
    for (int i = 1; i <= 4; ++i) {
        const PictureBox* entry = strip.Picture2(i);
        const PictureBox* above = strip.Picture2(i - 1);
        EXPECT_EQ(entry->y(), above->y() + above->height()) << i;
        EXPECT_EQ(entry->size(), strip.Picture2(0)->size()) << i;
        EXPECT_EQ(entry->property("Tag").toString().isEmpty(), false);
    }
}

TEST_F(UserControl4Test, ShowMeFramesTheStripOpenAtTheTopAndWidensIt)
{
    const PictureBox* last = strip.Picture2(4);
    const int stripHeight = last->y() + last->height() + 5;
    EXPECT_EQ(strip.width(), 150 + 13);
    EXPECT_EQ(strip.height(), stripHeight);
    const QImage frame = Shot(strip.Picture1());
    ASSERT_EQ(frame.size(), QSize(150, stripHeight));
    const QRgb grey = Rgb(128, 128, 128);
    EXPECT_EQ(frame.pixel(0, 0), grey);
    EXPECT_EQ(frame.pixel(149, 0), grey);
    EXPECT_EQ(frame.pixel(70, stripHeight - 1), grey);
    EXPECT_EQ(frame.pixel(70, 0), kStripBack); // open towards the header
    EXPECT_EQ(frame.pixel(70, 2), kStripBack);
}

TEST_F(UserControl4Test, ClickingAnEntrySelectsItBeforeButtonClick)
{
    test::Hover(strip.Picture2(2));
    test::Click(strip.Picture2(2));
    ASSERT_EQ(clicked, std::vector<qint16>{2});
    EXPECT_EQ(selectedDuringEvent, std::vector<qint16>{2});
    const PictureBox* tab = strip.Picture2(2);
    EXPECT_EQ(tab->width(), strip.width() * 15);
    EXPECT_EQ(tab->height(), strip.Picture2(0)->height() + 2);
    EXPECT_EQ(EntryShot(2).pixel(60, 2), kWhite);
}

TEST_F(UserControl4Test, TabHasATwoPixelBottomEdgeWithCornerPieces)
{
    strip.ShowMenu(1);
    const QImage tab = EntryShot(1);
    const int h = tab.height();
    const int pw = strip.Picture1()->width();
    // Left corner piece.
    EXPECT_EQ(tab.pixel(0, h - 2), kStripBack);
    EXPECT_EQ(tab.pixel(0, h - 1), kStripBack);
    EXPECT_EQ(tab.pixel(1, h - 2), Rgb(92, 92, 92));
    EXPECT_EQ(tab.pixel(1, h - 1), kStripBack);
    // Bottom edge.
    EXPECT_EQ(tab.pixel(50, h - 2), Rgb(92, 92, 92));
    EXPECT_EQ(tab.pixel(50, h - 1), Rgb(128, 128, 128));
    EXPECT_EQ(tab.pixel(pw - 1, h - 2), Rgb(92, 92, 92));
    // Right corner piece, then the tab runs on without an edge.
    EXPECT_EQ(tab.pixel(pw, h - 2), Rgb(92, 92, 92));
    EXPECT_EQ(tab.pixel(pw, h - 1), Rgb(128, 128, 128));
    EXPECT_EQ(tab.pixel(pw + 1, h - 2), Rgb(92, 92, 92));
    EXPECT_EQ(tab.pixel(pw + 1, h - 1), Rgb(200, 200, 202));
    EXPECT_EQ(tab.pixel(pw + 2, h - 1), kWhite);
}

TEST_F(UserControl4Test, ClickingTheSelectedEntryAgainKeepsItAndRaisesButtonClickAgain)
{
    test::Click(strip.Picture2(3));
    const QSize tabSize = strip.Picture2(3)->size();
    test::Click(strip.Picture2(3));
    EXPECT_EQ(clicked, (std::vector<qint16>{3, 3}));
    EXPECT_EQ(strip.SelectedEntry(), 3);
    EXPECT_EQ(strip.Picture2(3)->size(), tabSize);
}

TEST_F(UserControl4Test, HoverOverTheSelectedEntryKeepsTheTab)
{
    strip.ShowMenu(2);
    test::Hover(strip.Picture2(2));
    const QImage tab = EntryShot(2);
    EXPECT_EQ(tab.pixel(60, 2), kWhite);
    EXPECT_EQ(tab.pixel(50, tab.height() - 2), Rgb(92, 92, 92));
    EXPECT_TRUE(strip.Picture2(2)->FontUnderline());
}

TEST_F(UserControl4Test, ChoosingAnotherEntryPutsTheFirstBackAtRest)
{
    strip.ShowMenu(1);
    strip.ShowMenu(4);
    EXPECT_EQ(strip.Picture2(1)->size(), strip.Picture2(0)->size());
    EXPECT_FALSE(HasColour(EntryShot(1), kWhite));
    EXPECT_EQ(strip.SelectedEntry(), 4);
}

TEST_F(UserControl4Test, ShowMenuOutsideTheEntriesDoesNothing)
{
    for (qint16 index : {5, 0, -1, -7}) {
        strip.ShowMenu(index);
        EXPECT_EQ(strip.SelectedEntry(), -1) << index;
    }
    EXPECT_FALSE(HasColour(Shot(strip.Picture2(0)), kWhite));
}

TEST_F(UserControl4Test, PointerTurnsTextBlackAndUnderlinedThenGreyAgain)
{
    QWidget* entry = strip.Picture2(1);
    test::Hover(entry);
    EXPECT_TRUE(strip.Picture2(1)->FontUnderline());
    EXPECT_TRUE(HasColour(Shot(entry), Rgb(0, 0, 0)));
    test::Leave(entry);
    EXPECT_FALSE(strip.Picture2(1)->FontUnderline());
    EXPECT_FALSE(HasColour(Shot(entry), Rgb(0, 0, 0)));
    EXPECT_TRUE(HasColour(Shot(entry), Rgb(128, 128, 128)));
}

TEST_F(UserControl4Test, ResetShowsEveryEntryGreyOnTheStripColour)
{
    test::Hover(strip.Picture2(2));
    test::Click(strip.Picture2(2));
    strip.Reset();
    EXPECT_EQ(strip.SelectedEntry(), -1);
    for (int i = 1; i <= 4; ++i) {
        const QImage shot = EntryShot(i);
        EXPECT_EQ(strip.Picture2(i)->size(), strip.Picture2(0)->size()) << i;
        EXPECT_FALSE(strip.Picture2(i)->FontUnderline()) << i;
        EXPECT_EQ(shot.pixel(shot.width() - 1, 0), kStripBack) << i;
        EXPECT_FALSE(HasColour(shot, Rgb(0, 0, 0))) << i;
        EXPECT_FALSE(HasColour(shot, kWhite)) << i;
    }
}

TEST_F(UserControl4Test, AddButtonClearsTheChoice)
{
    strip.ShowMenu(1);
    strip.AddButton(QStringLiteral("More"));
    EXPECT_EQ(strip.SelectedEntry(), -1);
    EXPECT_EQ(strip.EntryCount(), 5);
}

TEST_F(UserControl4Test, UnSubClassStopsPointerEventsForEveryEntry)
{
    strip.UnSubClass();
    for (int i = 1; i <= 4; ++i)
        test::Click(strip.Picture2(i));
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(strip.SelectedEntry(), -1);
}

} // namespace
} // namespace qb

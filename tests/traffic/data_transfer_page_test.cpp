#include "controls/page_geometry.h"
#include "traffic/data_transfer_page.h"
#include "traffic/picture_surface_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>

#include <vector>

namespace qb {
namespace {

class DataTransferPageTest : public ::testing::Test {
protected:
    DataTransferPageTest()
    {
        QObject::connect(&page, &DataTransferPage::ConnectionSelected,
                         [this](int position) { selections.push_back(position); });
    }
    QStringList Entries() const
    {
        QStringList entries;
        for (int i = 0; i < page.cboConnectionType()->count(); ++i)
            entries << page.cboConnectionType()->itemText(i);
        return entries;
    }

    DataTransferPage page;
    std::vector<int> selections;
    const QStringList interfaces{"lo ", "eth0 ", "wlan0 "};
};

TEST_F(DataTransferPageTest, TheGraphLiesInsideThePageOnWholePixelGridCells)
{
    const QRect content(0, kPageContentTop, kPageSize.width(), kPageSize.height() - kPageContentTop);
    EXPECT_TRUE(content.contains(page.PIC1()->geometry()));
    EXPECT_EQ(page.PIC1()->ScaleWidth() % 20, 0);
    EXPECT_EQ(page.PIC1()->ScaleHeight() % 10, 0);
}

// The Options page shows Label16, Label10 and Label11; this page the other nine.
TEST_F(DataTransferPageTest, EveryLabelAndEntryShowsItsTextAsPlainTextWithControlCharactersEscaped)
{
    TrafficLabels labels;
    for (const TrafficLabels::Field& field : TrafficLabels::kFields)
        labels.*field.text = QStringLiteral("<b>%1</b>\n").arg(QLatin1StringView(field.name));
    page.ShowLabels(labels);
    int shown = 0;
    for (const TrafficLabels::Field& field : TrafficLabels::kFields) {
        if (const auto* label = page.findChild<QLabel*>(QLatin1StringView(field.name))) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << field.name;
            EXPECT_EQ(label->text(), QStringLiteral("<b>%1</b>\\x0A").arg(QLatin1StringView(field.name)));
            ++shown;
        }
    }
    EXPECT_EQ(shown, 9);
    page.SetConnectionList({{"eth0\r\nwlan9 "}, 0});
    EXPECT_EQ(Entries(), QStringList{"eth0\\x0D\\x0Awlan9 "});
}

TEST_F(DataTransferPageTest, FillingTheListSelectsWithoutReportingASelectionWhichOnlyTheUserMakes)
{
    page.SetConnectionList({interfaces, 1});
    EXPECT_EQ(Entries(), interfaces);
    EXPECT_EQ(page.cboConnectionType()->currentIndex(), 1);
    // A second fill replaces the entries, also when its selection lies outside them or it is empty.
    for (int selected : {-1, 3, 7}) {
        page.SetConnectionList({interfaces, selected});
        EXPECT_EQ(page.cboConnectionType()->currentIndex(), -1) << selected;
    }
    page.SetConnectionList({});
    EXPECT_EQ(page.cboConnectionType()->count(), 0);
    EXPECT_TRUE(selections.empty());

    page.SetConnectionList({interfaces, 0});
    // The keyboard chooses without opening the popup, as a user stepping through the list does.
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(page.cboConnectionType(), &press);
    }
    EXPECT_EQ(selections, (std::vector<int>{1, 2, 1}));
}

} // namespace
} // namespace qb

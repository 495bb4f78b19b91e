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
    DataTransferPage page;
    std::vector<int> selections;
    const QStringList interfaces{QStringLiteral("lo "), QStringLiteral("eth0 "), QStringLiteral("wlan0 ")};

    void SetUp() override
    {
        QObject::connect(&page, &DataTransferPage::ConnectionSelected,
                         [this](int position) { selections.push_back(position); });
    }

    QLabel* Label(const char* name) const { return page.findChild<QLabel*>(QLatin1StringView(name)); }
    QStringList Entries() const
    {
        QStringList entries;
        for (int i = 0; i < page.cboConnectionType()->count(); ++i)
            entries << page.cboConnectionType()->itemText(i);
        return entries;
    }
};

TEST_F(DataTransferPageTest, FillsThePageWithTheGraphInside)
{
    EXPECT_EQ(page.size(), kPageSize);
    ASSERT_NE(page.PIC1(), nullptr);
    EXPECT_EQ(page.PIC1()->objectName(), QStringLiteral("PIC1"));
    EXPECT_TRUE(page.rect().contains(page.PIC1()->geometry()));
    EXPECT_GE(page.PIC1()->y(), kPageContentTop);
    // Grid cells of whole pixels: 20 columns and 10 rows.
    EXPECT_EQ(page.PIC1()->ScaleWidth() % 20, 0);
    EXPECT_EQ(page.PIC1()->ScaleHeight() % 10, 0);
}

TEST_F(DataTransferPageTest, EveryLabelShowsItsTextAsPlainText)
{
    TrafficLabels labels;
    labels.lblType = QStringLiteral("<b>eth0</b> ");
    labels.lblRecv = QStringLiteral("1,024 KB");
    labels.lblSent = QStringLiteral("2 KB");
    labels.lblDownloadSpeedTop = QStringLiteral("Maximum download: 12.50 Kb/S");
    labels.lblUploadSpeedTop = QStringLiteral("Maximum upload: 0.25 Kb/S");
    labels.lblDownloadSpeedAverage = QStringLiteral("Average download: 3.00 Kb/S");
    labels.lblUploadSpeedAverage = QStringLiteral("Average upload: 0.00 Kb/S");
    labels.lblDSpeed = QStringLiteral("1.50 KBS ");
    labels.lblUSpeed = QStringLiteral("512 BS ");
    labels.Label16 = QStringLiteral("Connection: Ethernet");
    page.ShowLabels(labels);
    int shown = 0;
    for (const TrafficLabels::Field& field : TrafficLabels::kFields) {
        const QLabel* label = Label(field.name);
        if (field.text == &TrafficLabels::Label16 || field.text == &TrafficLabels::Label10 ||
            field.text == &TrafficLabels::Label11) {
            EXPECT_EQ(label, nullptr) << field.name; // those belong to the Options page
            continue;
        }
        ASSERT_NE(label, nullptr) << field.name;
        EXPECT_EQ(label->text(), labels.*field.text) << field.name;
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << field.name;
        ++shown;
    }
    EXPECT_EQ(shown, 9);
    EXPECT_EQ(page.lblDSpeed(), Label("lblDSpeed"));
}

TEST_F(DataTransferPageTest, FillingTheListSelectsWithoutReportingASelection)
{
    page.SetConnectionList({interfaces, 1});
    EXPECT_EQ(Entries(), interfaces);
    EXPECT_EQ(page.cboConnectionType()->currentIndex(), 1);
    // A second fill replaces the entries, also when it changes the selection or empties the list.
    page.SetConnectionList({{QStringLiteral("eth1 ")}, 0});
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("eth1 ")});
    page.SetConnectionList({});
    EXPECT_EQ(page.cboConnectionType()->count(), 0);
    EXPECT_TRUE(selections.empty());
}

TEST_F(DataTransferPageTest, ASelectionOutsideTheListSelectsNothing)
{
    for (int selected : {-1, 3, 7}) {
        page.SetConnectionList({interfaces, selected});
        EXPECT_EQ(page.cboConnectionType()->currentIndex(), -1) << selected;
    }
    EXPECT_TRUE(selections.empty());
}

TEST_F(DataTransferPageTest, ControlCharactersOfInterfaceNamesAreShownEscaped)
{
    TrafficLabels labels;
    labels.lblType = QStringLiteral("eth0\nFirewall disabled\x1B ");
    page.ShowLabels(labels);
    EXPECT_EQ(page.lblType()->text(), QStringLiteral("eth0\\x0AFirewall disabled\\x1B "));
    page.SetConnectionList({{QStringLiteral("eth0\r\nwlan9 ")}, 0});
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("eth0\\x0D\\x0Awlan9 ")});
}

TEST_F(DataTransferPageTest, ChoosingAnEntryReportsItsPosition)
{
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

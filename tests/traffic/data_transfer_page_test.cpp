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
    QStringList Entries() const
    {
        QStringList entries;
        for (int i = 0; i < page.cboConnectionType()->count(); ++i)
            entries << page.cboConnectionType()->itemText(i);
        return entries;
    }
};

TEST_F(DataTransferPageTest, FillsThePageWithTheGraphInsideOnWholePixelGridCells)
{
    EXPECT_EQ(page.size(), kPageSize);
    ASSERT_NE(page.PIC1(), nullptr);
    EXPECT_TRUE(page.rect().contains(page.PIC1()->geometry()));
    EXPECT_GE(page.PIC1()->y(), kPageContentTop);
    EXPECT_EQ(page.PIC1()->ScaleWidth() % 20, 0);
    EXPECT_EQ(page.PIC1()->ScaleHeight() % 10, 0);
}

TEST_F(DataTransferPageTest, EveryLabelShowsItsTextAsPlainTextWithControlCharactersEscaped)
{
    TrafficLabels labels;
    for (const TrafficLabels::Field& field : TrafficLabels::kFields)
        labels.*field.text = QStringLiteral("<b>%1</b> ").arg(QLatin1StringView(field.name));
    labels.lblType = QStringLiteral("eth0\nFirewall disabled\x1B ");
    page.ShowLabels(labels);
    int shown = 0;
    for (const TrafficLabels::Field& field : TrafficLabels::kFields) {
        const auto* label = page.findChild<QLabel*>(QLatin1StringView(field.name));
        if (field.text == &TrafficLabels::Label16 || field.text == &TrafficLabels::Label10 ||
            field.text == &TrafficLabels::Label11) {
            EXPECT_EQ(label, nullptr) << field.name; // those belong to the Options page
            continue;
        }
        ASSERT_NE(label, nullptr) << field.name;
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << field.name;
        if (field.text != &TrafficLabels::lblType) {
            EXPECT_EQ(label->text(), labels.*field.text) << field.name;
        }
        ++shown;
    }
    EXPECT_EQ(shown, 9);
    EXPECT_EQ(page.lblType()->text(), QStringLiteral("eth0\\x0AFirewall disabled\\x1B "));
    page.SetConnectionList({{QStringLiteral("eth0\r\nwlan9 ")}, 0});
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("eth0\\x0D\\x0Awlan9 ")});
}

TEST_F(DataTransferPageTest, FillingTheListSelectsWithoutReportingASelection)
{
    page.SetConnectionList({interfaces, 1});
    EXPECT_EQ(Entries(), interfaces);
    EXPECT_EQ(page.cboConnectionType()->currentIndex(), 1);
    // A second fill replaces the entries, also when its selection lies outside them or it is empty.
    for (int selected : {-1, 3, 7}) {
        page.SetConnectionList({interfaces, selected});
        EXPECT_EQ(page.cboConnectionType()->currentIndex(), -1) << selected;
    }
    page.SetConnectionList({{QStringLiteral("eth1 ")}, 0});
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("eth1 ")});
    page.SetConnectionList({});
    EXPECT_EQ(page.cboConnectionType()->count(), 0);
    EXPECT_TRUE(selections.empty());
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

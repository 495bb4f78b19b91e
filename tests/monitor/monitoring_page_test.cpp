#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "controls/page_geometry.h"
#include "controls/picture_box.h"
#include "controls/user_control2.h"
#include "controls/user_control7.h"
#include "fakes/fake_process_terminator.h"
#include "fakes/fake_tcp_table.h"
#include "monitor/details_pane.h"
#include "monitor/monitoring_page.h"
#include "monitoring_fixture.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>

namespace qb {
namespace {

using test::kCurl;
using test::MakeRow;
using test::WaitUntil;

class MonitoringPageTest : public test::MonitoringFixture {
protected:
    test::FakeTcpTable tcp;
    test::FakeProcessTerminator terminator;
    QStringList pinged;
    MonitoringPage page{MonitoringServices{tcp, terminator, files, *icons, Dictionary(), AttemptsOf(),
                                           [this](const QString& address) -> std::optional<QString> {
                                               pinged << address;
                                               return "Success - Round Time : 3 ms";
                                           }}};
    QStringList questions;
    QStringList messages;

    void SetUp() override
    {
        page.AskYesNo = [this](const QString& question) {
            questions << question;
            return true;
        };
        page.ShowMessage = [this](const QString& text) { messages << text; };
        page.show();
    }
    QTreeWidget* List() const { return page.ListView1(); }
    QTreeWidgetItem* Item(int position) const { return List()->topLevelItem(position); }
    QPointF At(int position) const { return List()->visualItemRect(Item(position)).center(); }
    void ClickRow(int position)
    {
        test::Press(List()->viewport(), At(position));
        test::Release(List()->viewport(), At(position));
    }
    // Invalid while the icon is empty (no icon theme on the offscreen platform).
    static QColor Centre(const QIcon& icon) { return test::PixmapCentre(icon.pixmap(16, 16)); }
};

TEST_F(MonitoringPageTest, TheBannerCarriesThePageTitleAboveTheList)
{
    const auto* title = page.Banner()->findChild<QLabel*>(QStringLiteral("Title"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "Monitoring");
    EXPECT_TRUE(title->isVisibleTo(&page));
    EXPECT_LE(title->geometry().bottom(), kPageContentTop);
    EXPECT_FALSE(title->geometry().intersects(page.Banner()->Image1Geometry()));
}

TEST_F(MonitoringPageTest, RowsShowBothColumnsInTheGivenOrderWithTheSlotAsTag)
{
    page.SetRows({MakeRow(3, kCurl, 42, 5000, "10.0.0.5", 443), MakeRow(1, "", 0, 6000, "10.0.0.9", 22),
                  MakeRow(0,
                          "/opt/a\x1b"
                          "b",
                          43, 7000, "10.0.0.7", 80)});
    EXPECT_EQ(page.Banner()->geometry(), QRect(QPoint(0, 0), kPageSize));
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_TRUE(List()->isHeaderHidden());
    EXPECT_EQ(List()->columnWidth(0), 133); // 2000 twips
    EXPECT_EQ(List()->columnWidth(1), List()->width() - 133 - 40);
    const QStringList expected[] = {{"curl (5000)", "10.0.0.5:443", "3"},
                                    {"Unknown", "10.0.0.9:22", "1"},
                                    {"a\\x1Bb (7000)", "10.0.0.7:80", "0"}};
    for (int i = 0; i < 3; ++i) {
        const QStringList shown{Item(i)->text(0), Item(i)->text(1),
                                Item(i)->data(0, MonitoringPage::kTagRole).toString()};
        EXPECT_EQ(shown, expected[i]) << i;
    }
    const QImage question = ImageStringToImage(QLatin1StringView(images::kPicQuestion));
    EXPECT_EQ(Item(1)->icon(0).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32),
              question.convertToFormat(QImage::Format_ARGB32));
}

TEST_F(MonitoringPageTest, ARowTakesItsProgramsIconWhenItIsFound)
{
    page.SetRows({MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 443)});
    EXPECT_NE(Centre(Item(0)->icon(0)), QColor(Qt::red));
    ASSERT_TRUE(
        WaitUntil([&] { return Centre(Item(0)->icon(0)) == QColor(Qt::red); }, std::chrono::seconds(5)));
}

TEST_F(MonitoringPageTest, TheButtonsWaitForTheListsFocusAndTheOfflinePanelCoversTheList)
{
    EXPECT_EQ(page.UserControl72()->Caption(), "Zatvor pripojenie");
    EXPECT_EQ(page.UserControl71()->Caption(), "Zatvor program");
    page.SetRows({MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 443)});
    EXPECT_FALSE(page.UserControl71()->Enabled());
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(List(), &focusIn);
    EXPECT_TRUE(page.UserControl72()->Enabled());
    EXPECT_TRUE(page.UserControl71()->Enabled());
    EXPECT_EQ(page.Pane()->Label7(0)->text(), "Name: "); // taking the focus chooses no row
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(List(), &focusOut);
    page.SetRows({});
    EXPECT_TRUE(page.UserControl72()->Enabled());

    auto* offline = qobject_cast<QLabel*>(page.Picture4());
    ASSERT_NE(offline, nullptr);
    EXPECT_EQ(offline->text(), "No connection was found");
    EXPECT_FALSE(offline->isVisibleTo(&page));
    page.SetOffline(true);
    EXPECT_EQ(offline->geometry(), List()->geometry());
    EXPECT_TRUE(offline->isVisibleTo(&page));
    page.SetOffline(false);
    EXPECT_FALSE(offline->isVisibleTo(&page));
}

TEST_F(MonitoringPageTest, TheButtonsActOnTheConnectionAndProcessTheClickedRowWasBuiltFrom)
{
    const MonitorRow curl = MakeRow(3, kCurl, 42, 5000, "10.0.0.5", 443);
    const MonitorRow odd = MakeRow(1, "/opt/x\ny", 43, 6000, "10.0.0.9", 80);
    page.SetRows({curl, odd});
    ClickRow(1);
    EXPECT_TRUE(page.UserControl72()->Enabled());
    EXPECT_EQ(page.Pane()->Label7(6)->text(), "Remote Port: 80");
    test::Click(page.UserControl72()->Picture1());
    EXPECT_EQ(tcp.deleted, std::vector<TcpEndpoints>{odd.endpoints});
    terminator.running = {{43, *odd.startTime}};
    test::Click(page.UserControl71()->Picture1());
    EXPECT_EQ(questions, QStringList{"Are you sure you want to close x\\x0Ay ?"});
    EXPECT_EQ(terminator.terminated, std::vector<uint32_t>{43});

    ClickRow(0);
    EXPECT_EQ(page.Pane()->Label7(3)->text(), "PID: 42");
    terminator.running = {{42, *curl.startTime + 1}}; // pid 42 was reused by a newer process
    test::Click(page.UserControl71()->Picture1());
    EXPECT_EQ(questions.back(), "Are you sure you want to close curl ?");
    EXPECT_EQ(terminator.terminated.size(), 1u);

    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(List(), &down);
    EXPECT_EQ(page.Pane()->SelectedConnection().slot, 1); // the pane follows the keyboard too
    List()->clearSelection();
    test::Click(page.UserControl72()->Picture1());
    EXPECT_EQ(tcp.deleted.size(), 1u); // no row selected: nothing happens
}

TEST_F(MonitoringPageTest, ARebuildKeepsTheSelectionOnTheSameConnectionOnly)
{
    const MonitorRow a = MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 443);
    const MonitorRow b = MakeRow(1, kCurl, 42, 5001, "10.0.0.5", 443);
    page.SetRows({a, b});
    ClickRow(1);
    MonitorRow moved = b;
    moved.slot = 7;
    page.SetRows({MakeRow(2, "", 0, 6000, "10.0.0.9", 80), a, moved});
    ASSERT_EQ(List()->selectedItems().size(), 1);
    EXPECT_EQ(List()->selectedItems().front(), Item(2));
    EXPECT_EQ(page.Pane()->SelectedConnection().slot, 1); // the pane keeps its snapshot
    page.SetRows({a});
    EXPECT_TRUE(List()->selectedItems().isEmpty());
}

TEST_F(MonitoringPageTest, PingFromARowsContextMenuShowsTheResultWithoutBlocking)
{
    page.SetRows(
        {MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 443), MakeRow(1, kCurl, 42, 5001, "10.0.0.6", 443)});
    const QPoint below(20, List()->viewport()->height() - 5);
    QContextMenuEvent nowhere(QContextMenuEvent::Mouse, below, List()->viewport()->mapToGlobal(below));
    QApplication::sendEvent(List()->viewport(), &nowhere);
    EXPECT_FALSE(page.ContextMenu()->isVisible());
    const QPoint at = At(1).toPoint();
    QContextMenuEvent onRow(QContextMenuEvent::Mouse, at, List()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(List()->viewport(), &onRow);
    ASSERT_TRUE(page.ContextMenu()->isVisible());
    EXPECT_EQ(page.PingAction()->text(), "Ping");
    page.PingAction()->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !messages.isEmpty(); }, std::chrono::seconds(5)));
    EXPECT_EQ(messages, QStringList{"Success - Round Time : 3 ms"});
    EXPECT_EQ(pinged, QStringList{"10.0.0.6"});
}

} // namespace
} // namespace qb

#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "controls/page_geometry.h"
#include "controls/picture_box.h"
#include "controls/user_control2.h"
#include "controls/user_control7.h"
#include "fakes/fake_echo_service.h"
#include "fakes/fake_process_source.h"
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
    test::FakeEchoService echo;
    MonitoringPage page{MonitoringServices{tcp, terminator, echo, files, rules, *icons, Dictionary()}};
    QStringList questions;
    QStringList messages;
    bool answer = true;

    void SetUp() override
    {
        page.AskYesNo = [this](const QString& question) {
            questions << question;
            return answer;
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
    static QImage Pixels(const QIcon& icon)
    {
        return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    }
    // Invalid while the icon is empty (no icon theme on the offscreen platform).
    static QColor Centre(const QIcon& icon)
    {
        const QImage image = Pixels(icon);
        return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
    }
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
    EXPECT_EQ(page.size(), kPageSize);
    EXPECT_EQ(page.Banner()->geometry(), QRect(QPoint(0, 0), kPageSize));
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_TRUE(List()->isHeaderHidden());
    EXPECT_EQ(List()->columnCount(), 2);
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
    EXPECT_EQ(Pixels(Item(1)->icon(0)), question.convertToFormat(QImage::Format_ARGB32));
}

TEST_F(MonitoringPageTest, ARowTakesItsProgramsIconWhenItIsFound)
{
    page.SetRows({MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 443)});
    EXPECT_NE(Centre(Item(0)->icon(0)), QColor(Qt::red));
    ASSERT_TRUE(
        WaitUntil([&] { return Centre(Item(0)->icon(0)) == QColor(Qt::red); }, std::chrono::seconds(5)));
}

TEST_F(MonitoringPageTest, TheButtonsStayDisabledUntilTheListFirstTakesTheFocus)
{
    EXPECT_EQ(page.UserControl72()->Caption(), "Zatvor pripojenie");
    EXPECT_EQ(page.UserControl71()->Caption(), "Zatvor program");
    page.SetRows({MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 443)});
    EXPECT_FALSE(page.UserControl72()->Enabled());
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
}

TEST_F(MonitoringPageTest, TheOfflinePanelCoversTheListWhileOffline)
{
    auto* label = qobject_cast<QLabel*>(page.Picture4());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "No connection was found");
    EXPECT_FALSE(label->isVisibleTo(&page));
    page.SetOffline(true);
    EXPECT_TRUE(label->isVisibleTo(&page));
    EXPECT_EQ(label->geometry(), List()->geometry());
    page.SetOffline(false);
    EXPECT_FALSE(label->isVisibleTo(&page));
}

TEST_F(MonitoringPageTest, ClickingARowFillsThePaneAndEnablesTheButtons)
{
    page.SetRows({MakeRow(3, kCurl, 42, 5000, "10.0.0.5", 443), MakeRow(1, "", 0, 6000, "10.0.0.9", 80)});
    ClickRow(1);
    EXPECT_TRUE(page.UserControl72()->Enabled());
    EXPECT_EQ(page.Pane()->SelectedConnection().slot, 1);
    EXPECT_EQ(page.Pane()->Label7(6)->text(), "Remote Port: 80");
    ClickRow(0);
    EXPECT_EQ(page.Pane()->Label7(0)->text(), "Name: curl");
    EXPECT_EQ(page.Pane()->Label7(3)->text(), "PID: 42");
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(List(), &down);
    EXPECT_EQ(page.Pane()->SelectedConnection().slot, 1); // the pane follows the keyboard too
    EXPECT_EQ(page.Pane()->Label7(0)->text(), "Name: ");
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

TEST_F(MonitoringPageTest, ZatvorPripojenieDeletesTheConnectionTheRowWasBuiltFromAfterItsSlotWasReused)
{
    test::FakeProcessSource processes;
    processes.Add(42, kCurl);
    TcpTable table(tcp);
    OwnerResolver resolver(table, processes);
    MonitorHooks hooks;
    hooks.ShowRows = [this](const std::vector<MonitorRow>& rows) { page.SetRows(rows); };
    ConnectionMonitor monitor(table, resolver, processes, hooks);
    const MonitorRow a = MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 443);
    const MonitorRow b = MakeRow(1, kCurl, 42, 5001, "10.0.0.6", 443);
    tcp.rows = {TcpRow{5, a.endpoints.localAddr, a.endpoints.localPort, a.endpoints.remoteAddr,
                       a.endpoints.remotePort, 42},
                TcpRow{5, b.endpoints.localAddr, b.endpoints.localPort, b.endpoints.remoteAddr,
                       b.endpoints.remotePort, 42}};
    monitor.NotOnline(true);
    ASSERT_EQ(List()->topLevelItemCount(), 2);
    ClickRow(1);
    ASSERT_EQ(Item(1)->text(0), "curl (5001)");

    // Another connection takes slot 1 without the list being rebuilt (same row count).
    tcp.rows[1].localPort = htons(5999);
    (void)table.FetchTcpTable();
    table.ConvertTcpTable();
    test::Click(page.UserControl72()->Picture1());
    ASSERT_EQ(tcp.deleted.size(), 1u);
    EXPECT_EQ(tcp.deleted[0], b.endpoints);

    List()->clearSelection();
    test::Click(page.UserControl72()->Picture1());
    EXPECT_EQ(tcp.deleted.size(), 1u); // no row selected: nothing happens
}

TEST_F(MonitoringPageTest, ZatvorProgramAsksAndEndsOnlyTheProcessTheRowWasBuiltFrom)
{
    const MonitorRow row = MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 443);
    page.SetRows({row, MakeRow(1, "/opt/x\ny", 43, 5001, "10.0.0.5", 443)});
    ClickRow(0);
    terminator.running = {{42, *row.startTime + 1}}; // pid 42 was reused by a newer process
    test::Click(page.UserControl71()->Picture1());
    EXPECT_EQ(questions, QStringList{"Are you sure you want to close curl ?"});
    EXPECT_TRUE(terminator.terminated.empty());

    terminator.running = {{42, *row.startTime}};
    answer = false;
    test::Click(page.UserControl71()->Picture1());
    EXPECT_TRUE(terminator.terminated.empty());
    answer = true;
    test::Click(page.UserControl71()->Picture1());
    EXPECT_EQ(terminator.terminated, std::vector<uint32_t>{42});

    ClickRow(1);
    terminator.running = {{43, 1043}};
    test::Click(page.UserControl71()->Picture1());
    EXPECT_EQ(questions.back(), "Are you sure you want to close x\\x0Ay ?");
}

TEST_F(MonitoringPageTest, PingFromARowsContextMenuShowsTheResultWithoutBlocking)
{
    echo.outcome.kind = EchoOutcome::Kind::Reply;
    echo.outcome.roundTripMs = 3;
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
    ASSERT_EQ(echo.requests.size(), 1u);
    EXPECT_EQ(echo.requests[0].address, ::inet_addr("10.0.0.6"));
}

} // namespace
} // namespace qb

#include "base/program_icons_gui.h"
#include "base/red_icon.h"
#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "controls/page_geometry.h"
#include "controls/picture_box.h"
#include "controls/user_control2.h"
#include "controls/user_control7.h"
#include "fakes/fake_file_info.h"
#include "fakes/fake_host_names.h"
#include "fakes/fake_process_terminator.h"
#include "fakes/fake_tcp_table.h"
#include "monitor/details_pane.h"
#include "monitor/monitoring_page.h"
#include "support/pointer.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>

#include <arpa/inet.h>

#include <memory>

namespace qb {
namespace {

using namespace std::chrono_literals;
using test::PixmapCentre;
using test::WaitUntil;

constexpr auto kCurl = "/usr/bin/curl";

// A row as the monitor builds it, from 10.0.0.2:`localPort` (from ::1 to an IPv6 address); the process
// started at 1000 + pid.
MonitorRow MakeRow(int16_t slot, const QString& path, uint32_t pid, uint16_t localPort, const char* remote,
                   uint16_t remotePort, Transport protocol = Transport::Tcp)
{
    const QString text = path.isEmpty()
                             ? QString("Unknown")
                             : path.mid(path.lastIndexOf(u'/') + 1) + " (" + QString::number(localPort) + ")";
    TcpEndpoints ends =
        TcpEndpoints::IPv4(::inet_addr("10.0.0.2"), htons(localPort), ::inet_addr(remote), htons(remotePort));
    in6_addr v6{};
    if (::inet_pton(AF_INET6, remote, &v6) == 1) {
        ends.localAddr = IpAddress::FromIPv6(&in6addr_loopback);
        ends.remoteAddr = IpAddress::FromIPv6(&v6);
    }
    ends.protocol = protocol;
    return {slot, text, QString(remote) + ":" + QString::number(remotePort), path, ends, pid, 1000 + pid};
}

// The page on fake files, attempts counts, a name cache whose look-ups the test answers, and program icons
// from a private desktop entry (curl's icon is plain red once it has been found).
class MonitoringPageTest : public ::testing::Test {
protected:
    MonitoringPageTest()
    {
        files.files = {{kCurl, {false, 2048}}, {"/usr/bin/noversion", {false, 100}}};
        files.versions[kCurl] = {(7u << 16) | 88u, (1u << 16) | 2u};
        page.AskYesNo = [this](const QString& question) {
            questions << question;
            return true;
        };
        page.show();
    }

    test::TempHome home;
    ProgramIcons icons{{test::WriteRedIconEntry(home.Path(), kCurl)}};
    test::FakeFileInfo files;
    QHash<QString, int32_t> attempts;                // the programs with a rule, and their attempts counts
    std::unique_ptr<test::FakeHostNames> dictionary; // made on first use, as the main window's is
    test::FakeTcpTable tcp;
    test::FakeProcessTerminator terminator;
    QStringList pinged;
    QStringList questions;
    MonitoringPage page{MonitoringServices{
        tcp, terminator, files, icons,
        [this]() -> HostNames& {
            return dictionary ? *dictionary : *(dictionary = std::make_unique<test::FakeHostNames>());
        },
        [this](const QString& path) {
            return attempts.contains(path) ? std::optional(attempts[path]) : std::nullopt;
        },
        [this](const QString& address) -> std::optional<QString> {
            pinged << address;
            return "Success - Round Time : 3 ms";
        }}};
    DetailsPane& pane = *page.Pane();

    QTreeWidget* List() const { return page.ListView1(); }
    QTreeWidgetItem* Item(int position) const { return List()->topLevelItem(position); }
    QPoint At(int position) const { return List()->visualItemRect(Item(position)).center(); }
    void ClickRow(int position)
    {
        test::Press(List()->viewport(), At(position));
        test::Release(List()->viewport(), At(position));
    }
    // The details pane's nine lines, and its parts.
    QStringList Lines() const
    {
        QStringList lines;
        for (int i = 0; i < DetailsPane::kLabelCount; ++i)
            lines << pane.Label7(i)->text();
        return lines;
    }
    bool Shown(const QWidget* part) const { return part->isVisibleTo(&pane); }
    bool WaitForFacts() // from the worker; "Please Wait..." covers the pane until they are in
    {
        return WaitUntil([&] { return !Shown(pane.Picture2()); }, 5s);
    }
    void Show(const MonitorRow& row) // as a click on its list row does
    {
        pane.ShowConnection(row);
        ASSERT_TRUE(WaitForFacts());
    }
    bool IconIsRed() const { return PixmapCentre(pane.Pic32()->pixmap()) == QColor(Qt::red); }
};

TEST_F(MonitoringPageTest, RowsShowBothColumnsWithTheSlotAsTagBelowTheTitleAndAnUpdateKeepsTheirItems)
{
    const auto* title = page.Banner()->findChild<QLabel*>(QStringLiteral("Title"));
    ASSERT_TRUE(title && title->isVisibleTo(&page) && title->geometry().bottom() <= kPageContentTop);
    EXPECT_FALSE(title->geometry().intersects(page.Banner()->Image1Geometry()));
    const MonitorRow curl = MakeRow(3, kCurl, 42, 5000, "10.0.0.5", 443);
    MonitorRow unknown = MakeRow(1, "", 0, 6000, "10.0.0.9", 22);
    page.SetRows({curl, unknown, MakeRow(0, "/opt/a\x1b", 43, 7000, "10.0.0.7", 80)});
    EXPECT_EQ(List()->columnWidth(0), 133); // 2000 twips: the icon, the name and the port
    EXPECT_EQ(List()->columnWidth(1), List()->width() - 133 - 40);
    QStringList shown;
    for (int i = 0; i < List()->topLevelItemCount(); ++i)
        shown << Item(i)->text(0) + " " + Item(i)->text(1) + " " +
                     Item(i)->data(0, MonitoringPage::kTagRole).toString();
    EXPECT_EQ(shown, QStringList({"curl (5000) 10.0.0.5:443 3", "Unknown 10.0.0.9:22 1",
                                  "a\\x1B (7000) 10.0.0.7:80 0"}));
    const QImage question = ImageStringToImage(QLatin1StringView(images::kPicQuestion));
    EXPECT_EQ(Item(1)->icon(0).pixmap(16, 16).toImage().convertToFormat(question.format()), question);

    ClickRow(1);
    const QTreeWidgetItem* const itemOfUnknown = Item(1);
    unknown.slot = 7;
    unknown.remote = "changed";
    page.SetRows({MakeRow(2, "", 9, 6001, "10.0.0.9", 80), curl, unknown});
    EXPECT_EQ(Item(2), itemOfUnknown); // updated in place, still selected
    EXPECT_EQ(itemOfUnknown->text(1) + itemOfUnknown->data(0, MonitoringPage::kTagRole).toString(),
              "changed7");
    EXPECT_EQ(List()->selectedItems(), QList<QTreeWidgetItem*>{Item(2)});
    EXPECT_EQ(pane.SelectedConnection().slot, 1); // the pane keeps its snapshot
    page.SetRows({unknown, curl}); // the selected row moves up past another, and stays the one selected
    EXPECT_EQ(List()->selectedItems(), QList<QTreeWidgetItem*>{Item(0)});
    EXPECT_EQ(Item(0), itemOfUnknown);
    page.SetRows({curl});
    EXPECT_TRUE(List()->selectedItems().isEmpty());
}

TEST_F(MonitoringPageTest, TheButtonsWaitForTheListsFocusThenActOnTheConnectionAndProcessOfTheClickedRow)
{
    const MonitorRow curl = MakeRow(3, kCurl, 42, 5000, "10.0.0.5", 443);
    const MonitorRow odd = MakeRow(1, "/opt/x\ny", 43, 6000, "10.0.0.9", 80);
    page.SetRows({curl, odd});
    EXPECT_FALSE(page.UserControl71()->Enabled());
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason), focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(List(), &focusIn);
    QApplication::sendEvent(List(), &focusOut);
    EXPECT_TRUE(page.UserControl72()->Enabled() && page.UserControl71()->Enabled()); // for good
    EXPECT_EQ(pane.Label7(0)->text(), "Name: ");                                     // no row chosen
    ClickRow(1);
    EXPECT_EQ(pane.Label7(6)->text(), "Remote Port: 80");
    test::Click(page.UserControl72()->Picture1());
    EXPECT_EQ(tcp.deleted, std::vector<TcpEndpoints>{odd.endpoints});
    terminator.running = {{43, *odd.startTime}};
    test::Click(page.UserControl71()->Picture1());
    EXPECT_EQ(questions, QStringList{"Are you sure you want to close x\\x0Ay ?"});
    EXPECT_EQ(terminator.terminated, std::vector<uint32_t>{43});
    ClickRow(0);

    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(List(), &down);
    EXPECT_EQ(pane.SelectedConnection().slot, 1); // the pane follows the keyboard too
    List()->clearSelection();
    test::Click(page.UserControl72()->Picture1());
    EXPECT_EQ(tcp.deleted.size(), 1u); // no row selected: nothing happens
}

TEST_F(MonitoringPageTest, WithoutASelectedRowThePaneIsEmpty)
{
    const QStringList empty = Lines(); // as the pane starts
    const MonitorRow a = MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 443);
    const MonitorRow b = MakeRow(1, kCurl, 42, 5001, "10.0.0.5", 443);
    attempts[kCurl] = 1;
    page.SetRows({a, b});
    ClickRow(1);
    ASSERT_TRUE(WaitForFacts());
    for (const bool rebuild : {true, false}) {
        if (rebuild) {
            page.SetRows({a});
        } else {
            ClickRow(0); // facts still on their way when the selection goes are dropped
            List()->clearSelection();
            test::RunEvents(50ms);
        }
        EXPECT_TRUE(List()->selectedItems().isEmpty());
        EXPECT_EQ(Lines(), empty);
        EXPECT_TRUE(!Shown(pane.Label7(7)) && !Shown(pane.Picture3()) && !Shown(pane.Picture2()));
        EXPECT_TRUE(pane.Pic32()->pixmap().isNull());
    }
}

TEST_F(MonitoringPageTest, PingFromARowsContextMenuShowsTheResultWithoutBlocking)
{
    QStringList messages;
    page.ShowMessage = [&messages](const QString& text) { messages << text; };
    page.SetRows(
        {MakeRow(0, kCurl, 42, 5000, "2001:db8::6", 443), MakeRow(1, kCurl, 42, 5001, "10.0.0.6", 443)});
    // Below the rows: no menu; on an IPv6 row the item is there but disabled.
    for (const auto& [at, menu, ping] :
         {std::tuple{QPoint(20, List()->viewport()->height() - 5), false, true},
          {At(0), true, false},
          {At(1), true, true}}) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, List()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(List()->viewport(), &event);
        EXPECT_EQ(page.ContextMenu()->isVisible(), menu);
        EXPECT_EQ(page.PingAction()->isEnabled(), ping);
    }
    page.PingAction()->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !messages.isEmpty(); }, 5s));
    EXPECT_EQ(messages, QStringList{"Success - Round Time : 3 ms"});
    EXPECT_EQ(pinged, QStringList{"10.0.0.6"});
}

TEST_F(MonitoringPageTest, AClickFillsEveryLineAsPlainTextAndTheNameAndIconFillInForThatRowOnly)
{
    EXPECT_EQ(dictionary, nullptr); // not made before the first click
    attempts[kCurl] = 3;
    pane.ShowConnection(MakeRow(4, kCurl, 42, 5000, "10.0.0.5", 80));
    EXPECT_TRUE(Shown(pane.Picture2()));
    ASSERT_TRUE(WaitForFacts());
    EXPECT_EQ(Lines(), (QStringList{"Name: curl", "Path: /usr/bin/curl", "Size: 2 KB", "PID: 42",
                                    "Remote Host: 10.0.0.5 (10.0.0.5)", "Local Port: 5000", "Remote Port: 80",
                                    "Attempts: 3", "Version: 7.88.01.02"}));
    EXPECT_TRUE(Shown(pane.Label7(7)) && Shown(pane.Picture3()));
    ASSERT_TRUE(WaitUntil([&] { return IconIsRed(); }, 5s));
    Show(MakeRow(1, "/tmp/<i>x\nEvil", 43, 5001, "10.0.0.6", 443));
    ASSERT_TRUE(dictionary->Release("10.0.0.5", "first.example")); // the earlier row's
    ASSERT_TRUE(dictionary->Release("10.0.0.6", "a\x1b[2Jb"));
    EXPECT_EQ(pane.Label7(1)->textFormat(), Qt::PlainText);
    EXPECT_EQ(Lines().mid(0, 2) << Lines()[4], QStringList({"Name: <i>x\\x0AEvil", "Path: /tmp/<i>x\\x0AEvil",
                                                            "Remote Host: a\\x1B[2Jb (10.0.0.6)"}));
    Show(MakeRow(4, kCurl, 42, 5000, "2001:db8::5", 443, Transport::Udp));
    EXPECT_EQ(Lines().mid(4, 3), (QStringList{"Remote Host: 2001:db8::5 (2001:db8::5)",
                                              "Local Port: 5000/UDP", "Remote Port: 443/UDP"}));
    Show(MakeRow(4, kCurl, 42, 5000, "10.0.0.5", 80)); // cached now: at once
    EXPECT_EQ(pane.Label7(4)->text(), "Remote Host: first.example (10.0.0.5)");
}

// A program without a rule hides the attempts line; an Unknown row or a vanished file also clears the
// icon, version and size of the program shown before.
TEST_F(MonitoringPageTest, TheNextRowReplacesEveryFactOfThePreviousProgram)
{
    attempts[kCurl] = 1;
    icons.Icon(kCurl, 16);
    ASSERT_TRUE(WaitUntil([&] { return icons.Known(kCurl); }, 5s));
    for (const auto& [row, size] :
         {std::pair{MakeRow(1, "/usr/bin/noversion", 43, 5001, "10.0.0.5", 443), "100 Bytes"},
          std::pair{MakeRow(1, "", 0, 5001, "10.0.0.7", 22), ""},
          std::pair{MakeRow(1, "/usr/bin/removed", 44, 5001, "10.0.0.7", 22), ""}}) {
        SCOPED_TRACE(row.text.toStdString());
        Show(MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 80));
        ASSERT_TRUE(IconIsRed());
        Show(row);
        if (QString(size).isEmpty()) { // else the generic icon, empty without an icon theme
            EXPECT_FALSE(PixmapCentre(pane.Pic32()->pixmap()).isValid());
        }
        EXPECT_EQ(QStringList({Lines()[2], Lines()[8]}),
                  QStringList({"Size: " + QString(size), "Version: "}));
        EXPECT_FALSE(Shown(pane.Label7(7)));
        EXPECT_FALSE(Shown(pane.Picture3()));
    }
}

TEST_F(MonitoringPageTest, OnlyTheLatestFileRequestIsShown)
{
    int shown = 0;
    QObject::connect(&pane, &DetailsPane::FileInfoShown, [&] { ++shown; });
    pane.ShowFileInfo("/usr/bin/noversion");
    pane.ShowFileInfo(kCurl);
    ASSERT_TRUE(WaitUntil([&] { return shown >= 1; }, 5s));
    test::RunEvents(50ms);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(pane.Label7(2)->text(), "Size: 2 KB");
}

} // namespace
} // namespace qb

// The tray window against a real notification area: Xvfb, openbox and trayer, with clicks sent through
// the X server. The tray runs in a child process on the xcb platform, as the program does; this test
// binary itself stays on the offscreen platform.
#include "shell/frm_system_tray_window.h"
#include "support/child_mode.h"
#include "support/net_namespace.h"
#include "support/wait_until.h"
#include "support/x_session.h"

#include <QApplication>
#include <QMenu>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace qb {
namespace {

using namespace std::chrono_literals;

int Fail(const char* why)
{
    std::printf("%s\n", why);
    return 1;
}

bool Xdotool(const QString& arguments)
{
    return test::RunCommand("xdotool " + arguments.toStdString());
}

// This process shows exactly `count` windows.
bool OwnVisibleWindows(int count)
{
    return test::RunCommand("[ $(xdotool search --onlyvisible --pid " + std::to_string(::getpid()) +
                            " | wc -l) -eq " + std::to_string(count) + " ]");
}

int TrayChild()
{
    int argc = 1;
    char name[] = "tray-child";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    if (!test::WaitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000ms))
        return Fail("no notification area");
    frmSystemTray tray;
    int opened = 0;
    bool unloaded = false;
    bool enabled = true;
    QObject::connect(&tray.mnuSystem(), &QMenu::aboutToShow, [&] { ++opened; });
    tray.FirewallEnabled = [&] { return enabled; };
    tray.SetFirewallEnabled = [&](bool value) { enabled = value; };
    tray.UnloadMainWindow = [&] { unloaded = true; };
    tray.SetTrayTip(QString(100, u'x'));
    // The icon is first placed at the origin and moves when the tray host embeds it.
    const auto embedded = [&] {
        const QRect place = tray.TrayIcon().geometry();
        return place.isValid() && place.topLeft() != QPoint(0, 0) && OwnVisibleWindows(1);
    };
    if (!test::WaitUntil(embedded, 10000ms))
        return Fail("the icon did not appear in the notification area");
    test::RunEvents(200ms);
    const QPoint centre = tray.TrayIcon().geometry().center();
    const QString moveToIcon = QStringLiteral("mousemove %1 %2").arg(centre.x()).arg(centre.y());

    for (int button : {1, 3}) {
        const int before = opened;
        Xdotool(moveToIcon + QStringLiteral(" click %1").arg(button));
        if (!test::WaitUntil([&] { return tray.mnuSystem().isVisible(); }, 5000ms))
            return Fail(button == 1 ? "a left click opened no menu" : "a right click opened no menu");
        test::RunEvents(300ms);
        if (opened != before + 1)
            return Fail("the menu opened more than once for one click");
        Xdotool(QStringLiteral("key Escape"));
        if (!test::WaitUntil([&] { return !tray.mnuSystem().isVisible(); }, 5000ms))
            return Fail("the menu did not close");
    }

    Xdotool(moveToIcon + QStringLiteral(" click 1"));
    if (!test::WaitUntil([&] { return tray.mnuSystem().isVisible(); }, 5000ms))
        return Fail("the menu did not open for Close");
    test::RunEvents(200ms);
    const QPoint close =
        tray.mnuSystem().mapToGlobal(tray.mnuSystem().actionGeometry(&tray.mnuclose()).center());
    Xdotool(QStringLiteral("mousemove %1 %2 click 1").arg(close.x()).arg(close.y()));
    if (!test::WaitUntil([&] { return unloaded; }, 5000ms))
        return Fail("Close did not reach the main window");
    if (!test::WaitUntil([&] { return OwnVisibleWindows(0); }, 5000ms))
        return Fail("a window of the tray is still on the screen after Close");
    std::printf("ok\n");
    return 0;
}
const test::ChildMode kTrayChild("tray-child", TrayChild);

TEST(TrayIconTest, ClicksOpenTheMenuOnceAndCloseRemovesTheIconUnderX)
{
    test::XSession session;
    std::string why;
    if (!test::XSession::ToolsInstalled(&why))
        GTEST_SKIP() << why;
    ASSERT_TRUE(session.Start(&why) && session.StartWindowManager(&why) && session.StartTrayHost(&why))
        << why;
    QProcess child;
    test::StartChild(child, "tray-child",
                     {"DISPLAY=" + QString::fromStdString(session.Display()), "QT_QPA_PLATFORM=xcb",
                      "DBUS_SESSION_BUS_ADDRESS=disabled:"});
    ASSERT_TRUE(child.waitForFinished(90000));
    const QByteArray output = child.readAllStandardOutput();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString() << child.readAllStandardError().toStdString();
    EXPECT_EQ(output, "ok\n");
}

} // namespace
} // namespace qb

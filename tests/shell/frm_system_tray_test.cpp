#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "shell/frm_system_tray_window.h"
#include "support/wait_until.h"

#include <QMenu>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace qb {
namespace {

using namespace std::chrono_literals;

class FrmSystemTrayTest : public ::testing::Test {
protected:
    frmSystemTray tray;
    bool firewallEnabled = true;
    std::vector<std::string> calls;

    void SetUp() override
    {
        tray.ShowMainWindow = [this] { calls.push_back("show"); };
        tray.FirewallEnabled = [this] { return firewallEnabled; };
        tray.SetFirewallEnabled = [this](bool enabled) { firewallEnabled = enabled; };
        tray.UnloadMainWindow = [this] {
            calls.push_back(tray.IconShown() ? "unload with icon" : "unload without icon");
        };
    }
    void TearDown() override { tray.mnuSystem().hide(); }

    // What the user sees on the item when the menu opens.
    QString CaptionOnOpening()
    {
        emit tray.mnuSystem().aboutToShow();
        return tray.mnuEnable().text();
    }
};

TEST_F(FrmSystemTrayTest, TheIconIsThePadlockInAGreyFrame)
{
    const QImage icon = tray.IconImage();
    ASSERT_EQ(icon.size(), QSize(16, 16));
    const QImage padlock = ImageStringToImage(QString::fromLatin1(images::kTrayPadlock));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            QColor expected(255, 255, 255);
            const QPoint inPadlock(x - 3, y - 1);
            if (x == 0 || y == 0 || x == 15 || y == 15)
                expected = QColor(192, 192, 192);
            else if (padlock.rect().contains(inPadlock) && padlock.pixelColor(inPadlock).alpha() != 0)
                expected = padlock.pixelColor(inPadlock);
            ASSERT_EQ(icon.pixelColor(x, y).rgb(), expected.rgb()) << x << "," << y;
        }
    }
    EXPECT_TRUE(tray.IconShown());
    EXPECT_TRUE(tray.TrayTip().isEmpty()); // no tooltip before the first refresh
}

TEST_F(FrmSystemTrayTest, AtMostSixtyThreeCharactersOfTheTipAreShownNeverHalfAPair)
{
    const QString k63 = QString(60, u'a') + QStringLiteral("xyz");
    const QString pair = QString::fromUtf8("\xF0\x9F\x94\x92"); // a padlock outside the basic plane
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("Connections: 12"), QStringLiteral("Connections: 12")},
        {k63, k63},
        {k63 + u'!', k63},
        {k63 + QString(300, u'b'), k63},
        {QString(62, u'c') + pair, QString(62, u'c')},
        {QString(61, u'c') + pair + u'd', QString(61, u'c') + pair}};
    for (const auto& [text, shown] : cases) {
        tray.SetTrayTip(text);
        EXPECT_EQ(tray.TrayTip(), shown) << text.size();
    }
}

TEST_F(FrmSystemTrayTest, OpenShowsTheMainWindowAndCloseUnloadsItThenRemovesTheIcon)
{
    QStringList texts;
    for (const QAction* action : tray.mnuSystem().actions())
        texts << action->text();
    EXPECT_EQ(texts, (QStringList{"Open Personal Firewall", "Disable Firewall", "Close"}));
    tray.mnuOpen().trigger();
    tray.mnuclose().trigger();
    EXPECT_EQ(calls, (std::vector<std::string>{"show", "unload with icon"}));
    EXPECT_FALSE(tray.IconShown());
}

TEST_F(FrmSystemTrayTest, AnyCloseOfTheWindowRemovesTheIcon)
{
    tray.close();
    EXPECT_FALSE(tray.IconShown());
    EXPECT_TRUE(calls.empty());
}

TEST_F(FrmSystemTrayTest, TheFirewallItemTogglesAndItsCaptionFollowsAToggleMadeInTheMainWindow)
{
    tray.mnuEnable().trigger();
    EXPECT_FALSE(firewallEnabled);
    EXPECT_EQ(tray.mnuEnable().text(), QStringLiteral("Enable Firewall"));
    tray.mnuEnable().trigger();
    EXPECT_TRUE(firewallEnabled);
    EXPECT_EQ(tray.mnuEnable().text(), QStringLiteral("Disable Firewall"));

    firewallEnabled = false; // the main window's own switch
    EXPECT_EQ(CaptionOnOpening(), QStringLiteral("Enable Firewall"));
    tray.mnuEnable().trigger(); // offers "Enable Firewall" and does that
    EXPECT_TRUE(firewallEnabled);
    firewallEnabled = false;
    EXPECT_EQ(CaptionOnOpening(), QStringLiteral("Enable Firewall"));
    firewallEnabled = true;
    EXPECT_EQ(CaptionOnOpening(), QStringLiteral("Disable Firewall"));
}

TEST(TrayClickTest, LeftAndRightClicksOpenTheMenuOnceOtherClicksNot)
{
    const std::pair<QSystemTrayIcon::ActivationReason, bool> cases[] = {
        {QSystemTrayIcon::Trigger, true},
        {QSystemTrayIcon::Context, true},
        {QSystemTrayIcon::DoubleClick, false},
        {QSystemTrayIcon::MiddleClick, false}};
    for (const auto& [reason, opens] : cases) {
        frmSystemTray tray;
        int opened = 0;
        QObject::connect(&tray.mnuSystem(), &QMenu::aboutToShow, [&] { ++opened; });
        emit tray.TrayIcon().activated(reason);
        EXPECT_EQ(tray.mnuSystem().isVisible(), opens) << reason;
        // A second report of the same click (press and release, or activation and context request) does
        // not open it again.
        emit tray.TrayIcon().activated(reason);
        test::RunEvents(50ms);
        EXPECT_EQ(opened, opens ? 1 : 0) << reason;
        tray.mnuSystem().hide();
    }
}

} // namespace
} // namespace qb

#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "shell/frm_system_tray_window.h"
#include "support/wait_until.h"

#include <QMenu>
#include <gtest/gtest.h>

#include <ostream>

#include <string>
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
    ASSERT_EQ(padlock.size(), QSize(10, 12));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            QColor expected(255, 255, 255);
            const bool frame = x == 0 || y == 0 || x == 15 || y == 15;
            const QPoint inPadlock(x - 3, y - 1);
            if (frame)
                expected = QColor(192, 192, 192);
            else if (padlock.rect().contains(inPadlock) && padlock.pixelColor(inPadlock).alpha() != 0)
                expected = padlock.pixelColor(inPadlock);
            ASSERT_EQ(icon.pixelColor(x, y).rgb(), expected.rgb()) << x << "," << y;
        }
    }
    EXPECT_TRUE(tray.IconShown());
    EXPECT_TRUE(tray.TrayTip().isEmpty()); // no tooltip before the first refresh
}

struct TipCase {
    const char* name;
    QString text;
    QString shown;
};

void PrintTo(const TipCase& c, std::ostream* out)
{
    *out << c.name;
}

class TrayTipTest : public ::testing::TestWithParam<TipCase> {};

TEST_P(TrayTipTest, AtMostSixtyThreeCharactersAreShown)
{
    frmSystemTray tray;
    tray.SetTrayTip(GetParam().text);
    EXPECT_EQ(tray.TrayTip(), GetParam().shown);
    EXPECT_LE(tray.TrayTip().size(), frmSystemTray::kMaxTipLength);
}

const QString k63 = QString(60, u'a') + QStringLiteral("xyz");
const QString kPair = QString::fromUtf8("\xF0\x9F\x94\x92"); // a padlock outside the basic plane

INSTANTIATE_TEST_SUITE_P(
    Texts, TrayTipTest,
    ::testing::Values(TipCase{"empty", QString(), QString()},
                      TipCase{"short", QStringLiteral("Connections: 12"), QStringLiteral("Connections: 12")},
                      TipCase{"exactly63", k63, k63}, TipCase{"sixtyFour", k63 + u'!', k63},
                      TipCase{"long", k63 + QString(300, u'b'), k63},
                      TipCase{"pairAcrossTheCut", QString(62, u'c') + kPair, QString(62, u'c')},
                      TipCase{"pairBeforeTheCut", QString(61, u'c') + kPair + u'd',
                              QString(61, u'c') + kPair}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(FrmSystemTrayTest, TheMenuHasItsThreeItemsInOrder)
{
    EXPECT_EQ(tray.mnuSystem().title(), QStringLiteral("SystemMenu"));
    QStringList texts;
    for (const QAction* action : tray.mnuSystem().actions())
        texts << action->text();
    EXPECT_EQ(texts, (QStringList{"Open Personal Firewall", "Disable Firewall", "Close"}));
}

TEST_F(FrmSystemTrayTest, TheFirewallItemTwiceReturnsSwitchAndCaptionToTheirStart)
{
    tray.mnuEnable().trigger();
    EXPECT_FALSE(firewallEnabled);
    EXPECT_EQ(tray.mnuEnable().text(), QStringLiteral("Enable Firewall"));
    tray.mnuEnable().trigger();
    EXPECT_TRUE(firewallEnabled);
    EXPECT_EQ(tray.mnuEnable().text(), QStringLiteral("Disable Firewall"));
}

TEST_F(FrmSystemTrayTest, TheCaptionFollowsAToggleMadeInTheMainWindow)
{
    firewallEnabled = false; // the main window's own switch
    EXPECT_EQ(CaptionOnOpening(), QStringLiteral("Enable Firewall"));
    tray.mnuEnable().trigger(); // offers "Enable Firewall" and does that
    EXPECT_TRUE(firewallEnabled);
    firewallEnabled = false;
    EXPECT_EQ(CaptionOnOpening(), QStringLiteral("Enable Firewall"));
    firewallEnabled = true;
    EXPECT_EQ(CaptionOnOpening(), QStringLiteral("Disable Firewall"));
}

TEST_F(FrmSystemTrayTest, OpenShowsTheMainWindow)
{
    tray.mnuOpen().trigger();
    EXPECT_EQ(calls, std::vector<std::string>{"show"});
}

TEST_F(FrmSystemTrayTest, CloseUnloadsTheMainWindowThenRemovesTheIcon)
{
    tray.mnuclose().trigger();
    EXPECT_EQ(calls, std::vector<std::string>{"unload with icon"});
    EXPECT_FALSE(tray.IconShown());
}

TEST_F(FrmSystemTrayTest, AnyCloseOfTheWindowRemovesTheIcon)
{
    tray.close();
    EXPECT_FALSE(tray.IconShown());
    EXPECT_TRUE(calls.empty());
}

struct ClickCase {
    const char* name;
    QSystemTrayIcon::ActivationReason reason;
    bool opens;
};

void PrintTo(const ClickCase& c, std::ostream* out)
{
    *out << c.name;
}

class TrayClickTest : public ::testing::TestWithParam<ClickCase> {};

TEST_P(TrayClickTest, LeftAndRightClicksOpenTheMenuOnce)
{
    frmSystemTray tray;
    int opened = 0;
    QObject::connect(&tray.mnuSystem(), &QMenu::aboutToShow, [&] { ++opened; });
    emit tray.TrayIcon().activated(GetParam().reason);
    EXPECT_EQ(tray.mnuSystem().isVisible(), GetParam().opens);
    // A second report of the same click (press and release, or activation and context request) does
    // not open it again.
    emit tray.TrayIcon().activated(GetParam().reason);
    test::RunEvents(50ms);
    EXPECT_EQ(opened, GetParam().opens ? 1 : 0);
    tray.mnuSystem().hide();
}

INSTANTIATE_TEST_SUITE_P(Buttons, TrayClickTest,
                         ::testing::Values(ClickCase{"left", QSystemTrayIcon::Trigger, true},
                                           ClickCase{"right", QSystemTrayIcon::Context, true},
                                           ClickCase{"double", QSystemTrayIcon::DoubleClick, false},
                                           ClickCase{"middle", QSystemTrayIcon::MiddleClick, false}),
                         [](const auto& param) { return std::string(param.param.name); });

} // namespace
} // namespace qb

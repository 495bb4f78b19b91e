#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "shell/frm_system_tray_window.h"
#include "support/wait_until.h"

#include <QMenu>
#include <QPainter>
#include <gtest/gtest.h>

#include <utility>

namespace qb {
namespace {

using namespace std::chrono_literals;

TEST(FrmSystemTrayTest, TheIconIsThePadlockInAGreyFrame)
{
    frmSystemTray tray;
    const QImage icon = tray.IconImage();
    // White inside a grey frame, the padlock's opaque pixels from (3, 1).
    QImage expected(16, 16, QImage::Format_RGB32);
    QPainter painter(&expected);
    painter.fillRect(0, 0, 16, 16, QColor(192, 192, 192));
    painter.fillRect(1, 1, 14, 14, Qt::white);
    painter.drawImage(3, 1, ImageStringToImage(QString::fromLatin1(images::kTrayPadlock)));
    painter.end();
    EXPECT_EQ(icon.convertToFormat(QImage::Format_RGB32), expected);
}

TEST(FrmSystemTrayTest, AtMostSixtyThreeCharactersOfTheTipAreShownNeverHalfAPair)
{
    frmSystemTray tray;
    EXPECT_TRUE(tray.TrayTip().isEmpty()); // none before the first refresh
    const QString k63 = QString(60, u'a') + QStringLiteral("xyz");
    const QString pair = QString::fromUtf8("\xF0\x9F\x94\x92"); // a padlock outside the basic plane
    const std::pair<QString, QString> cases[] = {{k63, k63},
                                                 {k63 + QString(300, u'b'), k63},
                                                 {QString(62, u'c') + pair, QString(62, u'c')},
                                                 {QString(61, u'c') + pair + u'd', QString(61, u'c') + pair}};
    for (const auto& [text, shown] : cases) {
        tray.SetTrayTip(text);
        EXPECT_EQ(tray.TrayTip(), shown) << text.size();
    }
}

TEST(FrmSystemTrayTest, TheFirewallItemTogglesAndItsCaptionFollowsAToggleMadeInTheMainWindow)
{
    frmSystemTray tray;
    bool firewallEnabled = true;
    tray.FirewallEnabled = [&] { return firewallEnabled; };
    tray.SetFirewallEnabled = [&](bool enabled) { firewallEnabled = enabled; };
    const auto captionOnOpening = [&] {
        emit tray.mnuSystem().aboutToShow();
        return tray.mnuEnable().text();
    };
    tray.mnuEnable().trigger();
    EXPECT_TRUE(!firewallEnabled && tray.mnuEnable().text() == QStringLiteral("Enable Firewall"));
    tray.mnuEnable().trigger();
    EXPECT_TRUE(firewallEnabled && tray.mnuEnable().text() == QStringLiteral("Disable Firewall"));
    firewallEnabled = false; // the main window's own switch
    EXPECT_EQ(captionOnOpening(), QStringLiteral("Enable Firewall"));
    tray.mnuEnable().trigger(); // offers "Enable Firewall" and does that
    EXPECT_TRUE(firewallEnabled && captionOnOpening() == QStringLiteral("Disable Firewall"));
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
        // A second report of the same click (press and release, or activation and context request) does
        // not open it again.
        emit tray.TrayIcon().activated(reason);
        emit tray.TrayIcon().activated(reason);
        test::RunEvents(50ms);
        EXPECT_TRUE(tray.mnuSystem().isVisible() == opens && opened == (opens ? 1 : 0)) << reason;
        tray.mnuSystem().hide();
    }
}

} // namespace
} // namespace qb

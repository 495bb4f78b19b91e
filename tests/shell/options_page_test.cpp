#include "controls/con_status.h"
#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "controls/status.h"
#include "shell/options_page.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <QLabel>

#include <string>
#include <vector>

namespace qb {
namespace {

class OptionsPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        page.show();
        QObject::connect(&page, &OptionsPage::BlockAllClicked, [this] { clicks.push_back("block all"); });
        QObject::connect(&page, &OptionsPage::FirewallClicked, [this] { clicks.push_back("firewall"); });
    }
    // Captions, status numbers and the pictures the two lights show.
    void ExpectSwitches(qint16 blockAll, const char* blockAllCaption, qint16 firewall,
                        const char* firewallCaption)
    {
        EXPECT_EQ(page.lblBlockAll()->text(), QString::fromLatin1(blockAllCaption));
        EXPECT_EQ(page.lblFirewall()->text(), QString::fromLatin1(firewallCaption));
        EXPECT_EQ(page.Status1()->CurrentStatus(), blockAll);
        EXPECT_EQ(page.Status2()->CurrentStatus(), firewall);
        const auto picture = [](qint16 state) {
            return ImageStringToImage(QLatin1StringView(state == 1 ? images::kStatusOn : images::kStatusOff));
        };
        EXPECT_EQ(page.Status1()->ShownPicture(), picture(blockAll));
        EXPECT_EQ(page.Status2()->ShownPicture(), picture(firewall));
    }

    OptionsPage page;
    std::vector<std::string> clicks;
};

TEST_F(OptionsPageTest, EachLightAndCaptionFollowsItsOwnSwitch)
{
    ExpectSwitches(0, "Block all programs: Off", 1, "Firewall enabled");
    page.ShowSwitchStatus(1, "Block all programs: On", 0, "Firewall disabled");
    ExpectSwitches(1, "Block all programs: On", 0, "Firewall disabled");
    page.ShowSwitchStatus(0, "Block all programs: Off", 1, "Firewall enabled");
    ExpectSwitches(0, "Block all programs: Off", 1, "Firewall enabled");
    // A click's caption stays until the next status display.
    page.SetFirewallCaption(QStringLiteral("Enable Firewall"));
    EXPECT_EQ(page.lblFirewall()->text(), QStringLiteral("Enable Firewall"));
    page.ShowSwitchStatus(0, "Block all programs: Off", 0, "Firewall disabled");
    ExpectSwitches(0, "Block all programs: Off", 0, "Firewall disabled");
}

TEST_F(OptionsPageTest, OnlyALeftClickReleasedOnASwitchLabelReportsThatSwitch)
{
    QLabel* label = page.lblBlockAll();
    for (QPointF at : {QPointF(1, 1), QPointF(label->width() - 2, label->height() - 2)}) {
        test::Press(label, at);
        test::Release(label, at);
    }
    test::Click(page.lblFirewall());
    label = page.lblFirewall();
    test::Press(label, test::Centre(label), Qt::RightButton);
    test::Release(label, test::Centre(label), Qt::RightButton);
    test::Press(label, test::Centre(label));
    test::Release(label, QPointF(label->width() + 40, 5)); // dragged off before letting go
    EXPECT_EQ(clicks, (std::vector<std::string>{"block all", "block all", "firewall"}));
}

TEST_F(OptionsPageTest, ActivityStateChoosesTheActivityPicture)
{
    ConStatus reference;
    reference.resize(page.ConStatus1()->size());
    reference.SetBackColor(page.ConStatus1()->BackColor());
    for (qint16 state : {0, 2, 3, 1}) {
        page.SetActivityStatus(state);
        reference.SetStatus(state);
        EXPECT_EQ(page.ConStatus1()->Surface(), reference.Surface()) << state;
    }
    page.SetActivityStatus(0);
    EXPECT_NE(page.ConStatus1()->Surface(), reference.Surface()); // reference still shows 1
}

TEST_F(OptionsPageTest, TrafficLabelsAreCopiedAsPlainText)
{
    TrafficLabels labels;
    labels.Label16 = QStringLiteral("Connection: Ethernet");
    labels.Label10 = QStringLiteral("Received: <i>1.5 MB</i>");
    labels.Label11 = QStringLiteral("Sent: 12\n KB");
    page.ShowTrafficLabels(labels);
    EXPECT_EQ(page.Label16()->text(), QStringLiteral("Connection: Ethernet"));
    EXPECT_EQ(page.Label10()->text(), QStringLiteral("Received: <i>1.5 MB</i>"));
    EXPECT_EQ(page.Label11()->text(), QStringLiteral("Sent: 12\\x0A KB"));
    for (const QLabel* label : {page.Label16(), page.Label10(), page.Label11()})
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
}

} // namespace
} // namespace qb

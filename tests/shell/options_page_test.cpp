#include "controls/con_status.h"
#include "controls/image_string.h"
#include "controls/images/picture_catalogue.h"
#include "controls/page_geometry.h"
#include "controls/status.h"
#include "shell/options_page.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <QLabel>

#include <vector>

namespace qb {
namespace {

QImage Picture(const char* text)
{
    return ImageStringToImage(QLatin1StringView(text));
}

class OptionsPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        page.show();
        QObject::connect(&page, &OptionsPage::BlockAllClicked, [this] { clicks.push_back("block all"); });
        QObject::connect(&page, &OptionsPage::FirewallClicked, [this] { clicks.push_back("firewall"); });
    }

    OptionsPage page;
    std::vector<std::string> clicks;
};

TEST_F(OptionsPageTest, StartsShowingFirewallOnAndBlockAllOff)
{
    EXPECT_EQ(page.size(), kPageSize);
    EXPECT_EQ(page.lblBlockAll()->text(), QStringLiteral("Block all programs: Off"));
    EXPECT_EQ(page.lblFirewall()->text(), QStringLiteral("Firewall enabled"));
    EXPECT_EQ(page.Status1()->CurrentStatus(), 0);
    EXPECT_EQ(page.Status2()->CurrentStatus(), 1);
    EXPECT_EQ(page.Status1()->ShownPicture(), Picture(images::kStatusOff));
    EXPECT_EQ(page.Status2()->ShownPicture(), Picture(images::kStatusOn));
}

struct SwitchCase {
    qint16 blockAll;
    const char* blockAllCaption;
    qint16 firewall;
    const char* firewallCaption;
};

class SwitchStatusTest : public OptionsPageTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SwitchStatusTest, EachLightAndCaptionFollowsItsOwnSwitch)
{
    const SwitchCase& c = GetParam();
    page.ShowSwitchStatus(c.blockAll, QString::fromLatin1(c.blockAllCaption), c.firewall,
                          QString::fromLatin1(c.firewallCaption));
    EXPECT_EQ(page.lblBlockAll()->text(), QString::fromLatin1(c.blockAllCaption));
    EXPECT_EQ(page.lblFirewall()->text(), QString::fromLatin1(c.firewallCaption));
    EXPECT_EQ(page.Status1()->CurrentStatus(), c.blockAll);
    EXPECT_EQ(page.Status2()->CurrentStatus(), c.firewall);
    const auto picture = [](qint16 state) {
        return Picture(state == 1 ? images::kStatusOn : images::kStatusOff);
    };
    EXPECT_EQ(page.Status1()->ShownPicture(), picture(c.blockAll));
    EXPECT_EQ(page.Status2()->ShownPicture(), picture(c.firewall));
}

INSTANTIATE_TEST_SUITE_P(OptionsPage, SwitchStatusTest,
                         ::testing::Values(SwitchCase{1, "Block all programs: On", 1, "Firewall enabled"},
                                           SwitchCase{0, "Block all programs: Off", 0, "Firewall disabled"},
                                           SwitchCase{1, "Block all programs: On", 0, "Firewall disabled"}));

TEST_F(OptionsPageTest, AClickCaptionStaysUntilTheNextStatusDisplay)
{
    page.SetFirewallCaption(QStringLiteral("Enable Firewall"));
    EXPECT_EQ(page.lblFirewall()->text(), QStringLiteral("Enable Firewall"));
    EXPECT_EQ(page.lblBlockAll()->text(), QStringLiteral("Block all programs: Off"));
    page.ShowSwitchStatus(0, QStringLiteral("Block all programs: Off"), 0,
                          QStringLiteral("Firewall disabled"));
    EXPECT_EQ(page.lblFirewall()->text(), QStringLiteral("Firewall disabled"));
}

TEST_F(OptionsPageTest, AClickAnywhereOnASwitchLabelReportsThatSwitch)
{
    QLabel* label = page.lblBlockAll();
    for (QPointF at :
         {QPointF(1, 1), test::Centre(label), QPointF(label->width() - 2, label->height() - 2)}) {
        test::Press(label, at);
        test::Release(label, at);
    }
    test::Click(page.lblFirewall());
    EXPECT_EQ(clicks, (std::vector<std::string>{"block all", "block all", "block all", "firewall"}));
}

TEST_F(OptionsPageTest, OtherButtonsAndReleasesOffTheLabelAreNoClick)
{
    QLabel* label = page.lblFirewall();
    test::Press(label, test::Centre(label), Qt::RightButton);
    test::Release(label, test::Centre(label), Qt::RightButton);
    test::Press(label, test::Centre(label));
    test::Release(label, QPointF(label->width() + 40, 5)); // dragged off before letting go
    EXPECT_TRUE(clicks.empty());
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
    labels.lblRecv = QStringLiteral("not on this page");
    page.ShowTrafficLabels(labels);
    EXPECT_EQ(page.Label16()->text(), QStringLiteral("Connection: Ethernet"));
    EXPECT_EQ(page.Label10()->text(), QStringLiteral("Received: <i>1.5 MB</i>"));
    EXPECT_EQ(page.Label11()->text(), QStringLiteral("Sent: 12\\x0A KB"));
    for (const QLabel* label : {page.Label16(), page.Label10(), page.Label11()})
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    EXPECT_FALSE(page.findChild<QLabel*>(QStringLiteral("lblRecv")));
}

} // namespace
} // namespace qb

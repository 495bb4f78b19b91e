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

TEST(OptionsPageTest, EachLightAndCaptionFollowsItsOwnSwitch)
{
    OptionsPage page;
    page.show();
    const auto light = [](qint16 state) {
        return ImageStringToImage(QLatin1StringView(state == 1 ? images::kStatusOn : images::kStatusOff));
    };
    const std::pair<qint16, qint16> states[] = {{1, 0}, {0, 1}, {0, 0}, {1, 1}};
    for (const auto& [blockAll, firewall] : states) {
        page.ShowSwitchStatus(blockAll, QStringLiteral("block %1").arg(blockAll), firewall,
                              QStringLiteral("firewall %1").arg(firewall));
        EXPECT_EQ(page.lblBlockAll()->text(), QStringLiteral("block %1").arg(blockAll));
        EXPECT_EQ(page.lblFirewall()->text(), QStringLiteral("firewall %1").arg(firewall));
        EXPECT_TRUE(page.Status1()->ShownPicture() == light(blockAll) &&
                    page.Status2()->ShownPicture() == light(firewall))
            << blockAll << firewall;
    }
}

TEST(OptionsPageTest, OnlyALeftClickReleasedOnASwitchLabelReportsThatSwitch)
{
    OptionsPage page;
    page.show();
    std::vector<std::string> clicks;
    QObject::connect(&page, &OptionsPage::BlockAllClicked, [&] { clicks.push_back("block all"); });
    QObject::connect(&page, &OptionsPage::FirewallClicked, [&] { clicks.push_back("firewall"); });
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

TEST(OptionsPageTest, TrafficLabelsAreCopiedAsPlainText)
{
    OptionsPage page;
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

#include "shell/help_links.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace qb {
namespace {

TEST(HelpLinksTest, TheStripEntriesOpenHelpHomepageAndAboutAndOtherNumbersNothing)
{
    std::vector<QUrl> opened;
    const HelpLinks links(
        [&](const QUrl& url) { opened.push_back(url); },
        {QStringLiteral("/opt/qb/help/index.html"), QStringLiteral("https://vendor.example")});
    for (int entry : {0, 1, 2, 3, 4})
        links.ButtonClick(entry);
    const std::vector<QUrl> expected = {QUrl(QStringLiteral("file:///opt/qb/help/index.html")),
                                        QUrl(QStringLiteral("https://vendor.example/")),
                                        QUrl(QStringLiteral("https://vendor.example/content/view/36/63/"))};
    EXPECT_EQ(opened, expected);
}

TEST(HelpLinksTest, TheInstallationFileSetsTheAddressOnlyWhenItIsAWebAddress)
{
    test::TempHome home;
    const QString fallback = QStringLiteral("https://www.quillbrook.com/content/view/36/63/");
    const std::pair<QByteArray, QString> cases[] = {
        {"https://example.org", QStringLiteral("https://example.org/content/view/36/63/")},
        {"http://example.org/shop/", QStringLiteral("http://example.org/shop/content/view/36/63/")},
        {"javascript:alert(1)", fallback},
        {"ftp://example.org", fallback},
        {"", fallback}};
    // Without the file, the help installed beside the program.
    EXPECT_TRUE(
        LoadInstallationSettings().helpFile.endsWith(QStringLiteral("/share/quillbrook/help/index.html")));
    ASSERT_TRUE(QDir().mkpath(home.ConfigHome() + "/Quillbrook"));
    for (const auto& [stored, about] : cases) {
        test::TempHome::WriteAll(home.ConfigHome() + "/Quillbrook/installation.ini",
                                 "[Help]\nFile=/srv/help/index.html\n[Vendor]\nAddress=" + stored + "\n");
        const HelpLinks links([](const QUrl&) {});
        EXPECT_EQ(links.HelpUrl(), QUrl::fromLocalFile(QStringLiteral("/srv/help/index.html")));
        EXPECT_EQ(links.AboutUrl(), QUrl(about)) << stored.toStdString();
    }
}

// The help is what "Help topics" opens: it must explain every page, switch and prompt choice by the names
// the program shows.
TEST(HelpFileTest, ExplainsEveryPageSwitchAndPromptChoice)
{
    QFile help(QStringLiteral(QB_TEST_DATA "/../docs/help/index.html"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(help.readAll());
    const QString names = QStringLiteral("Data transfer|Options|Applications|Monitoring|Block all|"
                                         "Firewall enabled|Block program|Allow program|Delete|"
                                         "Allways block this program|Allways allow this program|"
                                         "Open Personal Firewall|Disable Firewall|Enable Firewall|Close|"
                                         "Help topics|Visit homepage|About|Zatvor pripojenie|KSW.desktop|"
                                         "nacitavanie.avi");
    for (const QString& name : names.split(u'|'))
        EXPECT_TRUE(text.contains(name)) << name.toStdString();
}

} // namespace
} // namespace qb

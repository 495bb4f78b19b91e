#include "shell/help_links.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <ostream>

#include <vector>

namespace qb {
namespace {

class HelpLinksTest : public ::testing::Test {
protected:
    test::TempHome home;
    std::vector<QUrl> opened;
    HelpLinks::OpenUrl Recorder()
    {
        return [this](const QUrl& url) { opened.push_back(url); };
    }
};

TEST_F(HelpLinksTest, DefaultsPointAtTheInstalledHelpAndTheVendorsSite)
{
    const InstallationSettings settings = LoadInstallationSettings();
    EXPECT_TRUE(settings.helpFile.endsWith(QStringLiteral("/share/quillbrook/help/index.html")));
    EXPECT_TRUE(settings.helpFile.startsWith(u'/'));
    EXPECT_EQ(settings.vendorAddress, QStringLiteral("https://www.quillbrook.com"));
}

TEST_F(HelpLinksTest, TheStripEntriesOpenHelpHomepageAndAbout)
{
    const HelpLinks links(
        Recorder(), {QStringLiteral("/opt/qb/help/index.html"), QStringLiteral("https://vendor.example")});
    for (int entry : {0, 1, 2, 3, 4})
        links.ButtonClick(entry);
    links.ProgramRulesPage();
    const std::vector<QUrl> expected = {QUrl(QStringLiteral("file:///opt/qb/help/index.html")),
                                        QUrl(QStringLiteral("https://vendor.example/")),
                                        QUrl(QStringLiteral("https://vendor.example/content/view/36/63/")),
                                        QUrl(QStringLiteral("https://vendor.example/content/view/63/63/"))};
    EXPECT_EQ(opened, expected);
}

struct AddressCase {
    const char* stored;
    const char* about;
};

void PrintTo(const AddressCase& c, std::ostream* out)
{
    *out << c.stored;
}

class InstallationAddressTest : public HelpLinksTest, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(InstallationAddressTest, TheInstallationFileSetsTheAddressWhenItIsAWebAddress)
{
    ASSERT_TRUE(QDir().mkpath(home.ConfigHome() + "/Quillbrook"));
    test::TempHome::WriteAll(home.ConfigHome() + "/Quillbrook/installation.ini",
                             QByteArray("[Help]\nFile=/srv/help/index.html\n[Vendor]\nAddress=") +
                                 GetParam().stored + "\n");
    const HelpLinks links(Recorder());
    EXPECT_EQ(links.HelpUrl(), QUrl::fromLocalFile(QStringLiteral("/srv/help/index.html")));
    EXPECT_EQ(links.AboutUrl(), QUrl(QString::fromLatin1(GetParam().about)));
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, InstallationAddressTest,
    ::testing::Values(AddressCase{"https://example.org", "https://example.org/content/view/36/63/"},
                      AddressCase{"http://example.org/shop/", "http://example.org/shop/content/view/36/63/"},
                      AddressCase{"javascript:alert(1)", "https://www.quillbrook.com/content/view/36/63/"},
                      AddressCase{"ftp://example.org", "https://www.quillbrook.com/content/view/36/63/"},
                      AddressCase{"", "https://www.quillbrook.com/content/view/36/63/"}));

// The help is what "Help topics" opens: it must explain every page, switch and prompt choice by the names
// the program shows.
TEST(HelpFileTest, ExplainsEveryPageSwitchAndPromptChoice)
{
    QFile help(QStringLiteral(QB_TEST_DATA "/../docs/help/index.html"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(help.readAll());
    for (const char* name : {"Data transfer",
                             "Options",
                             "Applications",
                             "Monitoring",
                             "Block all",
                             "Firewall enabled",
                             "Block program",
                             "Allow program",
                             "Allways block this program",
                             "Allways allow this program",
                             "Open Personal Firewall",
                             "Disable Firewall",
                             "Enable Firewall",
                             "Close",
                             "Help topics",
                             "Visit homepage",
                             "About",
                             "Delete",
                             "Zatvor pripojenie",
                             "KSW.desktop",
                             "nacitavanie.avi"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(name))) << name;
}

} // namespace
} // namespace qb

#include "base/desktop_entry_index.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace qb {
namespace {

// Icons found through the index, the generic one meanwhile, are pinned by the prompt and details pane tests.
TEST(DesktopEntryTest, TheProgramIsTheFirstWordOfExecWithQuotesAndEnvUnwrappedInUsableEntriesOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Exec=/usr/bin/firefox-esr %u", "/usr/bin/firefox-esr"},
        {"Exec=\"/opt/My App/run\" --flag", "/opt/My App/run"},
        {"Exec=\"/opt/q\\\"uote/run\"", "/opt/q\"uote/run"},
        {"Exec=env GDK_BACKEND=x11 LANG=C /usr/bin/tool %f", "/usr/bin/tool"},
        {"Exec=  thunderbird", "thunderbird"},
        {"Exec=a\n[Desktop Action New]\nExec=b", "a"},
    };
    for (const auto& [line, program] : cases) {
        const DesktopEntry entry =
            ParseDesktopEntry(QString("[Desktop Entry]\nType=Application\nIcon=x\n") + line + "\n");
        EXPECT_EQ(entry.program, program) << line;
        EXPECT_TRUE(entry.usable) << line;
    }
    for (const char* unusable :
         {"[Desktop Entry]\nType=Link\nIcon=x\nExec=a\n", "[Desktop Entry]\nType=Application\nExec=a\n",
          "[Desktop Entry]\nType=Application\nIcon=x\nExec=a\nHidden=true\n", "garbage\n=\n["})
        EXPECT_FALSE(ParseDesktopEntry(unusable).usable) << unusable;
}

TEST(DesktopEntryTest, TheIndexFindsEntriesByPathLinkOrFileNameAndEarlierFoldersWin)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    const auto write = [&root](const QString& file, const QString& icon, const QString& exec) {
        QDir().mkpath(QFileInfo(root + file).path());
        test::TempHome::WriteAll(
            root + file, ("[Desktop Entry]\nType=Application\nIcon=" + icon + "\nExec=" + exec).toUtf8());
    };
    write("/bin/realtool", "", "");
    QFile::link(root + "/bin/realtool", root + "/bin/tool");
    write("/first/tool.desktop", "first-icon", root + "/bin/tool %u");
    write("/second/tool.desktop", "second-icon", root + "/bin/tool");
    write("/second/sub/other.desktop", "other-icon", "other");
    DesktopEntryIndex index({root + "/first", root + "/second", root + "/missing"});
    EXPECT_EQ(index.IconFor(root + "/bin/tool"), "first-icon");
    EXPECT_EQ(index.IconFor(root + "/bin/realtool"), "first-icon"); // what /proc shows for the link
    EXPECT_EQ(index.IconFor("/somewhere/else/other"), "other-icon");
    EXPECT_EQ(index.IconFor("/usr/bin/unlisted"), "");
}

} // namespace
} // namespace qb

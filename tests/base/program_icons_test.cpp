#include "base/desktop_entry_index.h"
#include "base/program_icons_gui.h"
#include "base/red_icon.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>

namespace qb {
namespace {

void WriteFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(DesktopEntryTest, TheProgramIsTheFirstWordOfExecWithQuotesAndEnvUnwrapped)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Exec=/usr/bin/firefox-esr %u", "/usr/bin/firefox-esr"},
        {"Exec=\"/opt/My App/run\" --flag", "/opt/My App/run"},
        {"Exec=\"/opt/q\\\"uote/run\"", "/opt/q\"uote/run"},
        {"Exec=env GDK_BACKEND=x11 LANG=C /usr/bin/tool %f", "/usr/bin/tool"},
        {"Exec=  thunderbird", "thunderbird"},
    };
    for (const auto& [line, program] : cases) {
        const DesktopEntry entry =
            ParseDesktopEntry(QString("[Desktop Entry]\nType=Application\nIcon=x\n") + line + "\n");
        EXPECT_EQ(entry.program, program) << line;
        EXPECT_TRUE(entry.usable) << line;
    }
}

TEST(DesktopEntryTest, OnlyVisibleApplicationEntriesWithAnIconAreUsable)
{
    EXPECT_FALSE(ParseDesktopEntry("[Desktop Entry]\nType=Link\nIcon=x\nExec=a\n").usable);
    EXPECT_FALSE(ParseDesktopEntry("[Desktop Entry]\nType=Application\nExec=a\n").usable);
    EXPECT_FALSE(
        ParseDesktopEntry("[Desktop Entry]\nType=Application\nIcon=x\nExec=a\nHidden=true\n").usable);
    const DesktopEntry action = ParseDesktopEntry(
        "[Desktop Entry]\nType=Application\nIcon=x\nExec=a\n[Desktop Action New]\nExec=b\n");
    EXPECT_EQ(action.program, "a");
    EXPECT_FALSE(ParseDesktopEntry("garbage\0\n=\n[").usable);
}

TEST(DesktopEntryTest, TheIndexFindsEntriesByPathLinkOrFileNameAndEarlierFoldersWin)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    WriteFile(root + "/bin/realtool", "#!/bin/sh\n");
    QFile::link(root + "/bin/realtool", root + "/bin/tool");
    WriteFile(
        root + "/first/tool.desktop",
        ("[Desktop Entry]\nType=Application\nIcon=first-icon\nExec=" + root + "/bin/tool %u\n").toUtf8());
    WriteFile(root + "/second/tool.desktop",
              ("[Desktop Entry]\nType=Application\nIcon=second-icon\nExec=" + root + "/bin/tool\n").toUtf8());
    WriteFile(root + "/second/sub/other.desktop",
              "[Desktop Entry]\nType=Application\nIcon=other-icon\nExec=other\n");
    DesktopEntryIndex index({root + "/first", root + "/second", root + "/missing"});
    EXPECT_EQ(index.IconFor(root + "/bin/tool"), "first-icon");
    EXPECT_EQ(index.IconFor(root + "/bin/realtool"), "first-icon"); // what /proc shows for the link
    EXPECT_EQ(index.IconFor("/somewhere/else/other"), "other-icon");
    EXPECT_EQ(index.IconFor("/usr/bin/unlisted"), "");
}

TEST(ProgramIconsTest, TheGenericIconServesUntilTheProgramsOwnIconArrives)
{
    QIcon::setThemeSearchPaths({"/usr/share/icons"});
    QIcon::setThemeName("Adwaita");
    QTemporaryDir dir;
    const QString root = dir.path();
    test::WriteRedIconEntry(root, "/opt/app/app");
    ProgramIcons icons({root + "/apps"});
    QStringList ready;
    QObject::connect(&icons, &ProgramIcons::IconReady, [&ready](const QString& path) { ready << path; });
    const QPixmap first = icons.Icon("/opt/app/app", 32);
    EXPECT_FALSE(first.isNull());
    EXPECT_NE(first.toImage().pixelColor(16, 16), QColor(Qt::red));
    ASSERT_TRUE(test::WaitUntil([&ready] { return !ready.isEmpty(); }, std::chrono::seconds(5)));
    EXPECT_EQ(ready, QStringList{"/opt/app/app"});
    EXPECT_TRUE(icons.Known("/opt/app/app"));
    EXPECT_EQ(icons.Icon("/opt/app/app", 32).toImage().pixelColor(16, 16), QColor(Qt::red));
    EXPECT_EQ(icons.Icon("/opt/app/app", 16).toImage().size(), QSize(16, 16));
}

} // namespace
} // namespace qb

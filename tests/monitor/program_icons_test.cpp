#include "monitor/desktop_entry_index.h"
#include "monitor/program_icons_gui.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

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
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(root + "/red.png"));
    WriteFile(root + "/apps/app.desktop",
              ("[Desktop Entry]\nType=Application\nIcon=" + root + "/red.png\nExec=/opt/app/app\n").toUtf8());

    ProgramIcons icons({root + "/apps"});
    QEventLoop loop;
    QString ready;
    QObject::connect(&icons, &ProgramIcons::IconReady, [&](const QString& path) {
        ready = path;
        loop.quit();
    });
    const QPixmap first = icons.Icon("/opt/app/app", 32);
    EXPECT_FALSE(icons.Known("/opt/app/app"));
    EXPECT_FALSE(first.isNull());
    EXPECT_NE(first.toImage().pixelColor(16, 16), QColor(Qt::red));
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_EQ(ready, "/opt/app/app");
    const QImage own = icons.Icon("/opt/app/app", 32).toImage();
    EXPECT_EQ(own.size(), QSize(32, 32));
    EXPECT_EQ(own.pixelColor(16, 16), QColor(Qt::red));
    EXPECT_EQ(icons.Icon("/opt/app/app", 16).toImage().size(), QSize(16, 16));
}

} // namespace
} // namespace qb

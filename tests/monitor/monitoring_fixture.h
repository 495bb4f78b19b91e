#pragma once
// What the Monitoring page and its details pane stand on, in memory: fake files, attempts counts, a name
// cache whose look-ups the test answers, and program icons from a private desktop entry (curl's icon is
// plain red once it has been found).
#include "base/program_icons_gui.h"
#include "fakes/fake_file_info.h"
#include "fakes/fake_host_names.h"
#include "monitor/connection_monitor.h"
#include "support/temp_home.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>

#include <arpa/inet.h>

#include <memory>

namespace qb::test {

inline constexpr auto kCurl = "/usr/bin/curl";

inline MonitorRow MakeRow(int16_t slot, const QString& path, uint32_t pid, uint16_t localPort,
                          const char* remote, uint16_t remotePort)
{
    MonitorRow row;
    row.slot = slot;
    row.path = path;
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    row.text = path.isEmpty() ? QStringLiteral("Unknown") : name + " (" + QString::number(localPort) + ")";
    row.remote = QString::fromLatin1(remote) + ":" + QString::number(remotePort);
    row.endpoints =
        TcpEndpoints{::inet_addr("10.0.0.2"), htons(localPort), ::inet_addr(remote), htons(remotePort)};
    row.pid = pid;
    row.startTime = 1000 + pid;
    return row;
}

// The colour in the middle of a pixmap; invalid when it is empty.
inline QColor PixmapCentre(const QPixmap& pixmap)
{
    return pixmap.isNull() ? QColor() : pixmap.toImage().pixelColor(pixmap.width() / 2, pixmap.height() / 2);
}

// A desktop entry in `folder`/apps that gives `program` a plain red icon.
inline void WriteRedIconEntry(const QString& folder, const QString& program)
{
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    EXPECT_TRUE(red.save(folder + "/red.png"));
    QDir().mkpath(folder + "/apps");
    TempHome::WriteAll(
        folder + "/apps/app.desktop",
        ("[Desktop Entry]\nType=Application\nIcon=" + folder + "/red.png\nExec=" + program + "\n").toUtf8());
}

class MonitoringFixture : public ::testing::Test {
protected:
    TempHome home;
    FakeFileInfo files;
    QHash<QString, int32_t> attempts; // the programs with a rule, and their attempts counts
    std::unique_ptr<FakeHostNames> dictionary;
    std::unique_ptr<ProgramIcons> icons;
    int dictionaryUses = 0;

    MonitoringFixture()
    {
        WriteRedIconEntry(home.Path(), kCurl);
        icons = std::make_unique<ProgramIcons>(QStringList{home.Path() + "/apps"});
        files.files[kCurl] = FileFacts{false, 2048};
        files.versions[kCurl] = FileVersion{(7u << 16) | 88u, (1u << 16) | 2u};
        files.files["/usr/bin/noversion"] = FileFacts{false, 100};
    }

    // The cache is made on first use, as the main window's is.
    std::function<HostNames&()> Dictionary()
    {
        return [this]() -> HostNames& {
            ++dictionaryUses;
            if (!dictionary)
                dictionary = std::make_unique<FakeHostNames>();
            return *dictionary;
        };
    }
    std::function<std::optional<int32_t>(const QString&)> AttemptsOf()
    {
        return [this](const QString& path) -> std::optional<int32_t> {
            if (const auto it = attempts.constFind(path); it != attempts.constEnd())
                return *it;
            return std::nullopt;
        };
    }
    bool WaitForIcon(const QString& path)
    {
        icons->Icon(path, 16);
        return WaitUntil([&] { return icons->Known(path); }, std::chrono::seconds(5));
    }
};

} // namespace qb::test

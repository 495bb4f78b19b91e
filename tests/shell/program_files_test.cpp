// The program's own files: its folder, the embedded resources it writes out, and the help and vendor
// links read from the installation settings.
#include "base/private_file.h"
#include "base/settings_store.h"
#include "clip/splash_clip_data.h"
#include "fakes/fake_host_lookup.h"
#include "net/dictionary.h"
#include "shell/help_links.h"
#include "shell/program_folder.h"
#include "shell/program_resource.h"
#include "support/temp_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace qb {
namespace {

using test::TempHome;

TEST(ProgramFolderTest, AnExecutableFolderOnlyTheUserCanWriteIsUsedOtherwiseThePerUserDataFolderIsCreated)
{
    TempHome home;
    EXPECT_EQ(ProgramFolderFor(home.Path(), home.DataHome()), home.Path() + "/");
    EXPECT_EQ(ProgramFolderFor(home.Path() + "/", home.DataHome()), home.Path() + "/");
    TempHome::WriteAll(home.Path() + "/not-a-folder", "");
    const QString shared = home.Path() + "/shared", foreign = home.Path() + "/foreign";
    ASSERT_TRUE(QDir().mkdir(shared) && QDir().mkdir(foreign));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0); // as /tmp is
    const bool asRoot =
        ::geteuid() == 0 && ::chown(QFile::encodeName(foreign).constData(), 65534, 65534) == 0;
    for (const QString& executableFolder : {home.Path() + "/missing", home.Path() + "/not-a-folder",
                                            QString(), shared, asRoot ? foreign : shared}) {
        const QString folder = ProgramFolderFor(executableFolder, home.DataHome());
        EXPECT_EQ(folder, home.DataHome() + "/Quillbrook/") << executableFolder.toStdString();
        EXPECT_TRUE(QFileInfo(folder).isDir());
    }
    // Made for the user alone, the data home above it too when it was missing; folders that were there
    // keep their modes.
    const auto mode = [](const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0u;
    };
    EXPECT_EQ(mode(home.DataHome() + "/Quillbrook"), 0700u);
    const QString nested = home.Path() + "/data2/a/b";
    ASSERT_TRUE(QDir().mkdir(home.Path() + "/data2") &&
                ::chmod(QFile::encodeName(home.Path() + "/data2").constData(), 0755) == 0);
    EXPECT_EQ(ProgramFolderFor(QString(), nested), nested + "/Quillbrook/");
    EXPECT_TRUE(mode(nested) == 0700u && mode(home.Path() + "/data2/a") == 0700u &&
                mode(home.Path() + "/data2") == 0755u);
    EXPECT_FALSE(MakePrivateFolder(home.Path() + "/not-a-folder"));
    EXPECT_EQ(ProgramFolder(), QCoreApplication::applicationDirPath() + "/"); // the test binary's, writable
}

// Each file the program writes for the user: a link planted in its place is neither read nor written
// through (the settings file's is moved aside), and what is written is the owner's alone.
TEST(PrivateFilesTest, FilesAreWrittenForTheOwnerAloneAndNeverThroughAPlantedLink)
{
    TempHome home;
    const QString folder = home.Path() + "/", victim = folder + "victim";
    TempHome::WriteAll(victim, "mine");
    SettingsStore settings(home.Path());
    test::FakeHostLookup lookup;
    const std::pair<QString, std::function<bool()>> files[] = {
        {"FirewallFirewall.ini",
         [&] {
             settings.Save(kFirewallApplication, "Programs", "Path1", "/bin/x");
             return settings.Sync();
         }},
        {"cache.ini", [&] { return CDictionary(settings, lookup, folder).WriteCache(); }},
        {"nacitavanie.avi", [&] {
             return !BuildFileFromResource(folder + "nacitavanie.avi", kSplashClipResource, "AVI", {})
                         .isEmpty();
         }}};
    for (const auto& [name, write] : files) {
        SCOPED_TRACE(name.toStdString());
        const QString path = folder + name;
        ASSERT_TRUE(QFile::link(victim, path));
        EXPECT_EQ(write(), name == "FirewallFirewall.ini");
        EXPECT_EQ(TempHome::ReadAll(victim), "mine");
        EXPECT_EQ(QFileInfo(name == "FirewallFirewall.ini" ? path + ".damaged" : path).symLinkTarget(),
                  victim);
        QFile::remove(path);                                 // the link, where it was left
        TempHome::WriteAll(path, "[Programs]\nName1=OLD\n"); // as an older version left it
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
        EXPECT_TRUE(write());
        EXPECT_EQ(QFileInfo(path).permissions(),
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::System).size(), 5); // no temporary file is left
}

TEST(ProgramResourceTest, TheClipIsWrittenOverALongerOldFileAndEachFailureWarnsOnceAndReturnsNothing)
{
    QTemporaryDir dir;
    QStringList warnings;
    const auto build = [&](const char* name, int id = kSplashClipResource, const char* type = "AVI") {
        return BuildFileFromResource(
            dir.filePath(QString::fromLatin1(name)), id, QString::fromLatin1(type),
            [&](const QString& title, const QString& text) { warnings << title + "|" + text; });
    };
    const QString target = dir.filePath(QStringLiteral("nacitavanie.avi"));
    TempHome::WriteAll(target, QByteArray(kSplashClipSize * 2, 'x'));
    EXPECT_TRUE(build("nacitavanie.avi") == target && warnings.isEmpty());
    EXPECT_EQ(TempHome::ReadAll(target),
              QByteArray(reinterpret_cast<const char*>(kSplashClip), kSplashClipSize));
    TempHome::WriteAll(dir.filePath(QStringLiteral("file")), "");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    // A file where a folder should be, a folder where the file should be, a folder that is not there.
    const std::pair<const char*, int> cases[] = {
        {"file/nacitavanie.avi", ENOTDIR}, {"folder", EISDIR}, {"missing/nacitavanie.avi", ENOENT}};
    for (const auto& [path, error] : cases) {
        warnings.clear();
        EXPECT_EQ(build(path), QString());
        EXPECT_EQ(warnings,
                  QStringList{QStringLiteral("Warning|%1:Error in BuildFileFromResource.  Error Message: %2")
                                  .arg(error)
                                  .arg(QString::fromLocal8Bit(std::strerror(error)))});
    }
    warnings.clear();
    EXPECT_EQ(build("x.avi", kSplashClipResource + 1), QString());
    EXPECT_EQ(build("x.avi", kSplashClipResource, "BMP"), QString());
    EXPECT_TRUE(warnings.size() == 2 && !QFile::exists(dir.filePath(QStringLiteral("x.avi"))));
    EXPECT_TRUE(ProgramResource(kSplashClipResource, QStringLiteral("avi"))); // resource types ignore case
}

TEST(HelpLinksTest, TheStripEntriesOpenHelpHomepageAndAboutFromTheInstallationFileWithAWebAddressOnly)
{
    TempHome home;
    // The vendor's site root each stored address gives.
    const QString fallback = QStringLiteral("https://www.quillbrook.com/");
    const std::pair<QByteArray, QString> cases[] = {
        {"https://example.org", QStringLiteral("https://example.org/")},
        {"http://example.org/shop/", QStringLiteral("http://example.org/shop/")},
        {"javascript:alert(1)", fallback},
        {"ftp://example.org", fallback},
        {"", fallback}};
    ASSERT_TRUE(QDir().mkpath(home.ConfigHome() + "/Quillbrook"));
    for (const auto& [stored, root] : cases) {
        TempHome::WriteAll(home.ConfigHome() + "/Quillbrook/installation.ini",
                           "[Help]\nFile=/srv/help/index.html\n[Vendor]\nAddress=" + stored + "\n");
        std::vector<QUrl> opened;
        const HelpLinks links([&](const QUrl& url) { opened.push_back(url); });
        for (int entry : {0, 1, 2, 3, 4})
            links.ButtonClick(entry);
        EXPECT_EQ(opened, (std::vector<QUrl>{QUrl::fromLocalFile(QStringLiteral("/srv/help/index.html")),
                                             QUrl(root), QUrl(root + "content/view/36/63/")}))
            << stored.toStdString();
    }
}

} // namespace
} // namespace qb

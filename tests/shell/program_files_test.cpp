// The program's own files: its folder, the embedded resources it writes out, and the help and vendor
// links read from the installation settings.
#include "clip/splash_clip_data.h"
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

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace qb {
namespace {

using test::TempHome;

TEST(ProgramFolderTest, AWritableExecutableFolderIsUsedOtherwiseThePerUserDataFolderIsCreated)
{
    TempHome home;
    EXPECT_EQ(ProgramFolderFor(home.Path(), home.DataHome()), home.Path() + "/");
    EXPECT_EQ(ProgramFolderFor(home.Path() + "/", home.DataHome()), home.Path() + "/");
    TempHome::WriteAll(home.Path() + "/not-a-folder", "");
    for (const QString& executableFolder :
         {home.Path() + "/missing", home.Path() + "/not-a-folder", QString()}) {
        const QString folder = ProgramFolderFor(executableFolder, home.DataHome());
        EXPECT_EQ(folder, home.DataHome() + "/Quillbrook/") << executableFolder.toStdString();
        EXPECT_TRUE(QFileInfo(folder).isDir());
    }
    EXPECT_EQ(ProgramFolder(), QCoreApplication::applicationDirPath() + "/"); // the test binary's, writable
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

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

class ProgramResourceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QStringList warnings;
    QString Build(const QString& name, int id = kSplashClipResource,
                  const QString& type = QStringLiteral("AVI"))
    {
        return BuildFileFromResource(
            dir.filePath(name), id, type,
            [this](const QString& title, const QString& text) { warnings << title + "|" + text; });
    }
};

TEST_F(ProgramResourceTest, WritesTheClipOverALongerOldFileAndReturnsTheFileName)
{
    QFile file(dir.filePath(QStringLiteral("nacitavanie.avi")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(static_cast<qsizetype>(kSplashClipSize) * 2, 'x'));
    file.close();
    EXPECT_EQ(Build(QStringLiteral("nacitavanie.avi")), file.fileName());
    EXPECT_TRUE(warnings.isEmpty());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(reinterpret_cast<const char*>(kSplashClip),
                                         static_cast<qsizetype>(kSplashClipSize)));
}

TEST_F(ProgramResourceTest, AFailedWriteOrAnUnknownResourceShowsOneWarningEachAndReturnsNothing)
{
    TempHome::WriteAll(dir.filePath(QStringLiteral("file")), "");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    // A file where a folder should be, a folder where the file should be, a folder that is not there.
    const std::pair<const char*, int> cases[] = {
        {"file/nacitavanie.avi", ENOTDIR}, {"folder", EISDIR}, {"missing/nacitavanie.avi", ENOENT}};
    for (const auto& [path, error] : cases) {
        warnings.clear();
        EXPECT_EQ(Build(QString::fromLatin1(path)), QString());
        EXPECT_EQ(warnings,
                  QStringList{QStringLiteral("Warning|%1:Error in BuildFileFromResource.  Error Message: %2")
                                  .arg(error)
                                  .arg(QString::fromLocal8Bit(std::strerror(error)))});
    }
    warnings.clear();
    EXPECT_EQ(Build(QStringLiteral("x.avi"), kSplashClipResource + 1), QString());
    EXPECT_EQ(Build(QStringLiteral("x.avi"), kSplashClipResource, QStringLiteral("BMP")), QString());
    EXPECT_TRUE(warnings.size() == 2 && !QFile::exists(dir.filePath(QStringLiteral("x.avi"))));
    EXPECT_TRUE(ProgramResource(kSplashClipResource, QStringLiteral("avi"))); // resource types ignore case
}

TEST(HelpLinksTest, TheStripEntriesOpenHelpHomepageAndAboutFromTheInstallationFileWithAWebAddressOnly)
{
    TempHome home;
    // Without the file, the help installed beside the program.
    EXPECT_TRUE(
        LoadInstallationSettings().helpFile.endsWith(QStringLiteral("/share/quillbrook/help/index.html")));
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

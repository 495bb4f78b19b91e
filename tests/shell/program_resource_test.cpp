#include "clip/splash_clip_data.h"
#include "shell/program_resource.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace qb {
namespace {

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

TEST_F(ProgramResourceTest, AFailedWriteShowsOneWarningWithTheErrorAndReturnsNothing)
{
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
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
}

TEST_F(ProgramResourceTest, AnUnknownResourceWritesNothingAndWarns)
{
    EXPECT_EQ(Build(QStringLiteral("x.avi"), kSplashClipResource + 1), QString());
    EXPECT_EQ(Build(QStringLiteral("x.avi"), kSplashClipResource, QStringLiteral("BMP")), QString());
    EXPECT_EQ(warnings.size(), 2);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x.avi"))));
    EXPECT_TRUE(ProgramResource(kSplashClipResource, QStringLiteral("avi"))); // resource types ignore case
}

} // namespace
} // namespace qb

#include "shell/avi_reader.h"
#include "shell/program_resource.h"
#include "shell/splash_clip_data.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>

#include <cerrno>
#include <cstring>

namespace qb {
namespace {

struct Warnings {
    QStringList titles;
    QStringList texts;
    WarningSink Sink()
    {
        return [this](const QString& title, const QString& text) {
            titles << title;
            texts << text;
        };
    }
};

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kClip(reinterpret_cast<const char*>(kSplashClip), static_cast<qsizetype>(kSplashClipSize));

TEST(ProgramResourceTest, WritesTheClipAndReturnsTheFileName)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("nacitavanie.avi"));
    Warnings warnings;
    EXPECT_EQ(BuildFileFromResource(target, kSplashClipResource, QStringLiteral("AVI"), warnings.Sink()),
              target);
    EXPECT_TRUE(warnings.texts.isEmpty());
    EXPECT_EQ(ReadAll(target), kClip);
}

TEST(ProgramResourceTest, ALongerOldFileIsCutToTheClip)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("nacitavanie.avi"));
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(static_cast<qsizetype>(kSplashClipSize) * 2, 'x'));
    old.close();
    ASSERT_FALSE(BuildFileFromResource(target, 171, QStringLiteral("AVI"), {}).isEmpty());
    const QByteArray written = ReadAll(target);
    EXPECT_EQ(written, kClip);
    EXPECT_TRUE(ReadAvi(std::span(reinterpret_cast<const uint8_t*>(written.constData()),
                                  static_cast<std::size_t>(written.size()))));
}

struct FailureCase {
    const char* name;
    int error;
};

void PrintTo(const FailureCase& c, std::ostream* out)
{
    *out << c.name;
}

class ProgramResourceFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ProgramResourceFailureTest, ShowsOneWarningWithTheErrorAndReturnsNothing)
{
    QTemporaryDir dir;
    // A file where a folder should be, a folder where the file should be, a folder that is not there.
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QString target = GetParam().error == ENOTDIR ? dir.filePath(QStringLiteral("file/nacitavanie.avi"))
                           : GetParam().error == EISDIR
                               ? dir.filePath(QStringLiteral("folder"))
                               : dir.filePath(QStringLiteral("missing/nacitavanie.avi"));
    Warnings warnings;
    EXPECT_EQ(BuildFileFromResource(target, 171, QStringLiteral("AVI"), warnings.Sink()), QString());
    ASSERT_EQ(warnings.texts.size(), 1);
    EXPECT_EQ(warnings.titles[0], QStringLiteral("Warning"));
    EXPECT_EQ(warnings.texts[0], QString::number(GetParam().error) +
                                     QStringLiteral(":Error in BuildFileFromResource.  Error Message: ") +
                                     QString::fromLocal8Bit(std::strerror(GetParam().error)));
}

INSTANTIATE_TEST_SUITE_P(Folders, ProgramResourceFailureTest,
                         ::testing::Values(FailureCase{"parentIsAFile", ENOTDIR},
                                           FailureCase{"targetIsAFolder", EISDIR},
                                           FailureCase{"parentMissing", ENOENT}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ProgramResourceTest, AnUnknownResourceWritesNothingAndWarns)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("x.avi"));
    Warnings warnings;
    EXPECT_EQ(BuildFileFromResource(target, 172, QStringLiteral("AVI"), warnings.Sink()), QString());
    EXPECT_EQ(BuildFileFromResource(target, 171, QStringLiteral("BMP"), warnings.Sink()), QString());
    EXPECT_EQ(warnings.texts.size(), 2);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(ProgramResource(171, QStringLiteral("avi"))); // resource types ignore case
}

} // namespace
} // namespace qb

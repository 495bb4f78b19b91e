#include "shell/shortcut.h"
#include "support/temp_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>
#include <utility>

namespace qb {
namespace {

struct Entry {
    QStringList groups;
    QMap<QString, QString> raw; // values exactly as written
};

Entry ReadEntry(const QString& path)
{
    Entry entry;
    const QByteArray bytes = test::TempHome::ReadAll(path);
    for (const QString& line : QString::fromUtf8(bytes).split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u'['))
            entry.groups << line;
        else
            entry.raw.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    }
    return entry;
}

class ShortcutTest : public ::testing::Test {
protected:
    test::TempHome home;
    QByteArray oldHome = qgetenv("HOME");

    void SetUp() override { qputenv("HOME", QFile::encodeName(home.Path() + "/home")); }
    void TearDown() override { qputenv("HOME", oldHome); }

    QStringList AllFiles() const
    {
        QStringList files;
        QDirIterator it(home.Path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next().mid(home.Path().size());
        return files;
    }
};

TEST_F(ShortcutTest, EachCodeNamesItsFolderAndOtherCodesWriteNothing)
{
    const std::pair<int16_t, QString> cases[] = {
        {0, "/home/Desktop"}, {1, "/data/applications"}, {2, "/data/applications"}, {3, "/config/autostart"}};
    for (const auto& [location, folder] : cases) {
        ASSERT_TRUE(CreateShortcut(location, QStringLiteral("Tool"), QStringLiteral("/opt/tool"), QString(),
                                   QString(), QString(), QString(), 1));
        EXPECT_TRUE(AllFiles().contains(folder + "/Tool.desktop")) << location;
        EXPECT_EQ(ShortcutFolder(location), home.Path() + folder);
    }
    for (int16_t location : {int16_t{-1}, int16_t{4}, int16_t{100}}) {
        EXPECT_FALSE(CreateShortcut(location, QStringLiteral("Other"), QStringLiteral("/opt/tool"), QString(),
                                    QString(), QString(), QString(), 1));
        EXPECT_TRUE(ShortcutFolder(location).isEmpty());
    }
    EXPECT_EQ(AllFiles().size(), 3);
}

TEST_F(ShortcutTest, TwoStartsLeaveOneStartUpEntryForTheRunningProgramWrittenOnce)
{
    ASSERT_TRUE(CreateStartupShortcut());
    const QString path = home.ConfigHome() + "/autostart/KSW.desktop";
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner)); // a rewrite would replace the file
    ASSERT_TRUE(CreateStartupShortcut());
    EXPECT_EQ(QFileInfo(path).permissions() & QFile::WriteOwner, 0);
    EXPECT_EQ(AllFiles(), QStringList{"/config/autostart/KSW.desktop"});
    const Entry entry = ReadEntry(path);
    EXPECT_EQ(entry.groups, QStringList{"[Desktop Entry]"});
    EXPECT_EQ(entry.raw.value("Type"), "Application");
    EXPECT_EQ(entry.raw.value("Name"), "KSW");
    // This test binary is not the installed program: the entry starts what is running.
    const QString running = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    EXPECT_EQ(entry.raw.value("Exec"), running);
    EXPECT_EQ(entry.raw.value("Path"), running.section(u'/', 0, -2));
    EXPECT_EQ(entry.raw.value("X-Quillbrook-HotKey"), "CTRL+SHIFT+C");
    EXPECT_EQ(entry.raw.value("X-Quillbrook-WindowStyle"), "1");
}

TEST_F(ShortcutTest, TheStartUpEntryNamesTheInstalledProgramOnlyWhenThatIsWhatRuns)
{
    const QString bin = home.Path() + "/bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    test::TempHome::WriteAll(bin + "/quillbrook", "program");
    ASSERT_TRUE(QFile::link(bin + "/quillbrook", home.Path() + "/alias"));
    EXPECT_EQ(StartupTarget(home.Path() + "/alias", bin + "/quillbrook"), bin + "/quillbrook");
    EXPECT_EQ(StartupTarget(home.Path() + "/alias", "/usr/bin/quillbrook"), bin + "/quillbrook");
    EXPECT_EQ(StartupTarget(bin + "/quillbrook", "/nonexistent/quillbrook"), bin + "/quillbrook");
}

TEST_F(ShortcutTest, ValuesAreWrittenEscapedAndQuoted)
{
    struct Case {
        QString title;
        QString target;
        QString workingDirectory;
        QString writtenName; // as the values stand in the file
        QString writtenExec;
        QString writtenPath;
    };
    const Case cases[] = {
        {"KSW", "/usr/bin/quillbrook", "/usr/bin", "KSW", "/usr/bin/quillbrook", "/usr/bin"},
        {" My Tool", "/opt/My Tool/run", "/opt/My Tool", "\\sMy Tool", "\"/opt/My Tool/run\"",
         "/opt/My Tool"},
        {"T", "/opt/a$b`c\"d", "/x", "T", "\"/opt/a\\\\$b\\\\`c\\\\\"d\"", "/x"},
        {"Back\\slash", "/opt/a\\b", "/w\\x", "Back\\\\slash", "\"/opt/a\\\\\\\\b\"", "/w\\\\x"},
        {"P", "/opt/100%", "/p", "P", "/opt/100%%", "/p"},
        {"Two\nLines", "/opt/a\nb", "/w\tx", "Two\\nLines", "\"/opt/a\\nb\"", "/w\\tx"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        ASSERT_TRUE(CreateShortcut(3, c.title, c.target, QStringLiteral("ALT+X"), QStringLiteral("my icon"),
                                   c.workingDirectory, QString(), 7));
        const Entry entry = ReadEntry(home.ConfigHome() + "/autostart/" + c.title + ".desktop");
        EXPECT_EQ(entry.raw.value("Name"), c.writtenName);
        EXPECT_EQ(entry.raw.value("Exec"), c.writtenExec);
        EXPECT_EQ(entry.raw.value("Path"), c.writtenPath);
        EXPECT_EQ(entry.raw.value("Icon"), "my icon");
        EXPECT_EQ(entry.raw.value("X-Quillbrook-WindowStyle"), "7");
    }
}

TEST_F(ShortcutTest, AMissingSubFolderIsCreatedAndAnExistingOneKept)
{
    ASSERT_TRUE(CreateShortcut(1, QStringLiteral("One"), QStringLiteral("/a"), QString(), QString(),
                               QString(), QStringLiteral("Quillbrook"), 1));
    const QString folder = home.DataHome() + "/applications/Quillbrook";
    test::TempHome::WriteAll(folder + "/keep.txt", "kept");
    ASSERT_TRUE(CreateShortcut(2, QStringLiteral("Two"), QStringLiteral("/b"), QString(), QString(),
                               QString(), QStringLiteral("Quillbrook"), 1));
    QStringList files = QDir(folder).entryList(QDir::Files);
    files.sort(Qt::CaseSensitive);
    EXPECT_EQ(files.join(u',').toStdString(), "One.desktop,Two.desktop,keep.txt");
    EXPECT_EQ(test::TempHome::ReadAll(folder + "/keep.txt"), "kept");
}

TEST_F(ShortcutTest, EntriesPassTheDesktopEntryValidator)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed (package desktop-file-utils)";
    ASSERT_TRUE(CreateStartupShortcut());
    ASSERT_TRUE(CreateShortcut(3, QStringLiteral(" Odd\\Name"),
                               QStringLiteral("/opt/My App/a$b`c\"d\\e%f\ng"), QStringLiteral("ALT+\tX"),
                               QStringLiteral("my icon"), QStringLiteral("/opt/x y"), QString(), 1));
    for (const QString& name : {QStringLiteral("KSW"), QStringLiteral(" Odd\\Name")}) {
        QProcess check;
        check.start(validator, {home.ConfigHome() + "/autostart/" + name + ".desktop"});
        ASSERT_TRUE(check.waitForFinished(30000));
        const QByteArray output = check.readAllStandardOutput() + check.readAllStandardError();
        EXPECT_EQ(check.exitCode(), 0) << output.toStdString();
        EXPECT_FALSE(output.contains("error")) << output.toStdString();
    }
}

// Everything written to standard error while `work` runs.
QByteArray StandardError(const std::function<void()>& work)
{
    QTemporaryFile capture;
    EXPECT_TRUE(capture.open());
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(capture.handle(), 2);
    work();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    capture.seek(0);
    return capture.readAll();
}

TEST_F(ShortcutTest, AFailedWriteIsReportedOnStandardError)
{
    test::TempHome::WriteAll(home.ConfigHome(), "a file where the folder should be");
    bool written = true;
    const QByteArray error = StandardError([&] { written = CreateStartupShortcut(); });
    EXPECT_FALSE(written);
    EXPECT_TRUE(error.startsWith("Quillbrook: cannot write the shortcut " +
                                 QFile::encodeName(home.ConfigHome()) + "/autostart/KSW.desktop: "))
        << error.toStdString();
}

TEST_F(ShortcutTest, TitlesThatAreNoFileNameAndUnwritableCharactersAreRefused)
{
    for (const QString& title :
         {QString(), QStringLiteral("a/b"), QStringLiteral(".."), QStringLiteral("bell\a")}) {
        const QByteArray error = StandardError([&] {
            EXPECT_FALSE(CreateShortcut(3, title, QStringLiteral("/a"), QString(), QString(), QString(),
                                        QString(), 1));
        });
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_TRUE(AllFiles().isEmpty());
}

} // namespace
} // namespace qb

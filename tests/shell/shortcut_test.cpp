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
#include <gtest/gtest.h>

#include <utility>

namespace qb {
namespace {

using test::TempHome;

// The values of a desktop entry by key, exactly as written.
QMap<QString, QString> ReadEntry(const QString& path)
{
    QMap<QString, QString> values;
    for (const QString& line : QString::fromUtf8(TempHome::ReadAll(path)).split(u'\n'))
        values.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    return values;
}

class ShortcutTest : public ::testing::Test {
protected:
    TempHome home;
    QByteArray oldHome = qgetenv("HOME");

    void SetUp() override { qputenv("HOME", QFile::encodeName(home.Path() + "/home")); }
    void TearDown() override { qputenv("HOME", oldHome); }

    static bool Create(int16_t location, const QString& title, const QString& subFolder = QString())
    {
        return CreateShortcut(location, title, QStringLiteral("/opt/tool"), QString(), QString(), QString(),
                              subFolder, 1);
    }
    QStringList AllFiles() const
    {
        QStringList files;
        QDirIterator it(home.Path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next().mid(home.Path().size());
        return files;
    }
};

// Sub-folders are created when missing and kept with what they hold.
TEST_F(ShortcutTest, EachCodeNamesItsFolderAndOtherCodesWriteNothing)
{
    ASSERT_TRUE(QDir().mkpath(home.DataHome() + "/applications/Sub"));
    TempHome::WriteAll(home.DataHome() + "/applications/Sub/keep.txt", "kept");
    const std::pair<int16_t, QString> cases[] = {{0, "/home/Desktop"},
                                                 {1, "/data/applications/Sub"},
                                                 {2, "/data/applications"},
                                                 {3, "/config/autostart/Sub"}};
    for (const auto& [location, folder] : cases) {
        ASSERT_TRUE(Create(location, QStringLiteral("Tool"),
                           folder.endsWith("Sub") ? QStringLiteral("Sub") : QString()));
        EXPECT_TRUE(AllFiles().contains(folder + "/Tool.desktop")) << location;
        EXPECT_EQ(ShortcutFolder(location), home.Path() + folder.section(u'/', 0, 2));
    }
    for (int16_t location : {int16_t{-1}, int16_t{4}, int16_t{100}})
        EXPECT_TRUE(!Create(location, QStringLiteral("Other")) && ShortcutFolder(location).isEmpty())
            << location;
    EXPECT_TRUE(AllFiles().size() == 5 &&
                TempHome::ReadAll(home.DataHome() + "/applications/Sub/keep.txt") == "kept");
}

TEST_F(ShortcutTest, TheStartUpEntryNamesTheInstalledProgramOnlyWhenThatIsWhatRuns)
{
    const QString bin = home.Path() + "/bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    TempHome::WriteAll(bin + "/quillbrook", "program");
    ASSERT_TRUE(QFile::link(bin + "/quillbrook", home.Path() + "/alias"));
    EXPECT_EQ(StartupTarget(home.Path() + "/alias", bin + "/quillbrook"), bin + "/quillbrook");
    EXPECT_EQ(StartupTarget(home.Path() + "/alias", "/usr/bin/quillbrook"), bin + "/quillbrook");
    EXPECT_EQ(StartupTarget(bin + "/quillbrook", "/nonexistent/quillbrook"), bin + "/quillbrook");
}

TEST_F(ShortcutTest, ValuesAreWrittenEscapedAndQuoted)
{
    struct Case {
        QString title, target, workingDirectory;
        QString writtenName, writtenExec, writtenPath; // as the values stand in the file
    };
    const Case cases[] = {
        {" My Tool", "/opt/My Tool/run", "/opt/My Tool", "\\sMy Tool", "\"/opt/My Tool/run\"",
         "/opt/My Tool"},
        {"T", "/opt/a$b`c\"d", "/x", "T", "\"/opt/a\\\\$b\\\\`c\\\\\"d\"", "/x"},
        {"Back\\slash", "/opt/a\\b", "/w\\x", "Back\\\\slash", "\"/opt/a\\\\\\\\b\"", "/w\\\\x"},
        {"P", "/opt/100%", "/p", "P", "/opt/100%%", "/p"},
        {"Two\nLines", "/opt/a\nb", "/w\tx", "Two\\nLines", "\"/opt/a\\nb\"", "/w\\tx"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(CreateShortcut(3, c.title, c.target, QStringLiteral("ALT+X"), QStringLiteral("my icon"),
                                   c.workingDirectory, QString(), 7));
        const QMap<QString, QString> entry =
            ReadEntry(home.ConfigHome() + "/autostart/" + c.title + ".desktop");
        EXPECT_EQ((QStringList{entry["Name"], entry["Exec"], entry["Path"], entry["Icon"],
                               entry["X-Quillbrook-WindowStyle"]}),
                  (QStringList{c.writtenName, c.writtenExec, c.writtenPath, "my icon", "7"}));
    }
}

TEST_F(ShortcutTest, TwoStartsLeaveOneStartUpEntryForTheRunningProgramWrittenOnceAndEntriesPassTheValidator)
{
    ASSERT_TRUE(CreateStartupShortcut());
    const QString path = home.ConfigHome() + "/autostart/KSW.desktop";
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner)); // a rewrite would replace the file
    ASSERT_TRUE(CreateStartupShortcut());
    EXPECT_EQ(QFileInfo(path).permissions() & QFile::WriteOwner, 0);
    EXPECT_EQ(AllFiles(), QStringList{"/config/autostart/KSW.desktop"});
    const QMap<QString, QString> entry = ReadEntry(path);
    // This test binary is not the installed program: the entry starts what is running.
    const QString running = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    EXPECT_EQ(entry.value("Exec"), running);
    EXPECT_EQ(entry.value("Path"), running.section(u'/', 0, -2));
    EXPECT_EQ(entry.value("X-Quillbrook-HotKey"), "CTRL+SHIFT+C");
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed (package desktop-file-utils)";
    ASSERT_TRUE(CreateShortcut(3, QStringLiteral(" Odd\\Name"),
                               QStringLiteral("/opt/My App/a$b`c\"d\\e%f\ng"), QStringLiteral("ALT+\tX"),
                               QStringLiteral("my icon"), QStringLiteral("/opt/x y"), QString(), 1));
    for (const QString& name : {QStringLiteral("KSW"), QStringLiteral(" Odd\\Name")}) {
        QProcess check;
        check.start(validator, {home.ConfigHome() + "/autostart/" + name + ".desktop"});
        ASSERT_TRUE(check.waitForFinished(30000));
        const QByteArray output = check.readAllStandardOutput() + check.readAllStandardError();
        EXPECT_TRUE(check.exitCode() == 0 && !output.contains("error")) << output.toStdString();
    }
}

TEST_F(ShortcutTest, AFailedWriteAndTitlesThatAreNoFileNameOrUnwritableAreRefused)
{
    for (const QString& title :
         {QString(), QStringLiteral("a/b"), QStringLiteral(".."), QStringLiteral("bell\a")})
        EXPECT_FALSE(Create(3, title)) << title.toStdString();
    EXPECT_TRUE(AllFiles().isEmpty());
    TempHome::WriteAll(home.ConfigHome(), "a file where the folder should be");
    EXPECT_FALSE(CreateStartupShortcut());
}

} // namespace
} // namespace qb

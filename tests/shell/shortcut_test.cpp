#include "shell/shortcut.h"
#include "support/temp_home.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <ostream>

#include <cstdio>
#include <unistd.h>

namespace qb {
namespace {

// The reading side of the desktop entry rules, written from the rules themselves rather than from the
// writer: string escapes first, then the Exec line's quoting.
QString Unescape(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        out += next == u's'   ? QChar(u' ')
               : next == u'n' ? QChar(u'\n')
               : next == u't' ? QChar(u'\t')
               : next == u'r' ? QChar(u'\r')
                              : next;
    }
    return out;
}

QStringList ExecArguments(const QString& exec)
{
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted && c == u'\\' && i + 1 < exec.size()) {
            current += exec[++i];
        } else if (c == u'"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && c == u' ') {
            if (any)
                arguments << current;
            current.clear();
            any = false;
        } else if (c == u'%' && i + 1 < exec.size() && exec[i + 1] == u'%') {
            current += exec[++i];
            any = true;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        arguments << current;
    return arguments;
}

struct Entry {
    QStringList groups;
    QMap<QString, QString> raw; // values exactly as written
    QString Value(const QString& key) const { return Unescape(raw.value(key)); }
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

struct LocationCase {
    int16_t location;
    const char* folder; // below the temporary home
};

void PrintTo(const LocationCase& c, std::ostream* out)
{
    *out << c.folder;
}

class ShortcutLocationTest : public ShortcutTest, public ::testing::WithParamInterface<LocationCase> {};

TEST_P(ShortcutLocationTest, EachCodeNamesItsFolder)
{
    ASSERT_TRUE(CreateShortcut(GetParam().location, QStringLiteral("Tool"), QStringLiteral("/opt/tool"),
                               QString(), QString(), QString(), QString(), 1));
    EXPECT_EQ(AllFiles(), QStringList{QString::fromLatin1(GetParam().folder) + "/Tool.desktop"});
    EXPECT_EQ(ShortcutFolder(GetParam().location), home.Path() + QString::fromLatin1(GetParam().folder));
}

INSTANTIATE_TEST_SUITE_P(Codes, ShortcutLocationTest,
                         ::testing::Values(LocationCase{0, "/home/Desktop"},
                                           LocationCase{1, "/data/applications"},
                                           LocationCase{2, "/data/applications"},
                                           LocationCase{3, "/config/autostart"}));

TEST_F(ShortcutTest, CodesOutsideTheFourWriteNothing)
{
    for (int16_t location : {int16_t{-1}, int16_t{4}, int16_t{100}}) {
        EXPECT_FALSE(CreateShortcut(location, QStringLiteral("Tool"), QStringLiteral("/opt/tool"), QString(),
                                    QString(), QString(), QString(), 1));
        EXPECT_TRUE(ShortcutFolder(location).isEmpty());
    }
    EXPECT_TRUE(AllFiles().isEmpty());
}

TEST_F(ShortcutTest, TwoStartsLeaveOneStartUpEntryWithTheRightKeys)
{
    ASSERT_TRUE(CreateStartupShortcut());
    ASSERT_TRUE(CreateStartupShortcut());
    EXPECT_EQ(AllFiles(), QStringList{"/config/autostart/KSW.desktop"});
    const Entry entry = ReadEntry(home.ConfigHome() + "/autostart/KSW.desktop");
    EXPECT_EQ(entry.groups, QStringList{"[Desktop Entry]"});
    EXPECT_EQ(entry.Value("Type"), "Application");
    EXPECT_EQ(entry.Value("Name"), "KSW");
    EXPECT_EQ(entry.Value("Comment"), "KSW");
    EXPECT_EQ(ExecArguments(entry.Value("Exec")), QStringList{InstalledExecutable()});
    EXPECT_EQ(entry.Value("Path"), InstalledExecutable().section(u'/', 0, -2));
    EXPECT_EQ(entry.Value("X-Quillbrook-HotKey"), "CTRL+SHIFT+C");
    EXPECT_EQ(entry.Value("X-Quillbrook-WindowStyle"), "1");
    EXPECT_FALSE(entry.Value("Icon").isEmpty());
    EXPECT_TRUE(InstalledExecutable().startsWith(u'/'));
    EXPECT_TRUE(InstalledExecutable().endsWith(QStringLiteral("/quillbrook")));
}

struct ValueCase {
    const char* name;
    QString title;
    QString target;
    QString workingDirectory;
    QString writtenName; // Name as it stands in the file
    QString writtenExec;
};

void PrintTo(const ValueCase& c, std::ostream* out)
{
    *out << c.name;
}

class ShortcutValueTest : public ShortcutTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(ShortcutValueTest, ValuesAreEscapedAndReadBackWhole)
{
    const ValueCase& c = GetParam();
    ASSERT_TRUE(CreateShortcut(3, c.title, c.target, QStringLiteral("ALT+X"), QStringLiteral("my icon"),
                               c.workingDirectory, QString(), 7));
    const Entry entry = ReadEntry(home.ConfigHome() + "/autostart/" + c.title + ".desktop");
    EXPECT_EQ(entry.raw.value("Name"), c.writtenName);
    EXPECT_EQ(entry.raw.value("Exec"), c.writtenExec);
    EXPECT_EQ(entry.Value("Name"), c.title);
    EXPECT_EQ(entry.Value("Path"), c.workingDirectory);
    EXPECT_EQ(entry.Value("Icon"), "my icon");
    EXPECT_EQ(entry.Value("X-Quillbrook-WindowStyle"), "7");
    EXPECT_EQ(ExecArguments(entry.Value("Exec")), QStringList{c.target});
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ShortcutValueTest,
    ::testing::Values(
        ValueCase{"plain", "KSW", "/usr/bin/quillbrook", "/usr/bin", "KSW", "/usr/bin/quillbrook"},
        ValueCase{"blanks", " My Tool", "/opt/My Tool/run", "/opt/My Tool", "\\sMy Tool",
                  "\"/opt/My Tool/run\""},
        ValueCase{"shellCharacters", "T", "/opt/a$b`c\"d", "/x", "T", "\"/opt/a\\\\$b\\\\`c\\\\\"d\""},
        ValueCase{"backslash", "Back\\slash", "/opt/a\\b", "/w\\x", "Back\\\\slash", "\"/opt/a\\\\\\\\b\""},
        ValueCase{"percent", "P", "/opt/100%", "/p", "P", "/opt/100%%"},
        ValueCase{"lineBreaks", "Two\nLines", "/opt/a\nb", "/w\tx", "Two\\nLines", "\"/opt/a\\nb\""}),
    [](const auto& param) { return std::string(param.param.name); });

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

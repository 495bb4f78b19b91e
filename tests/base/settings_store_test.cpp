#include "base/settings_store.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace qb {
namespace {

using test::TempHome;

class SettingsStoreTest : public ::testing::Test {
protected:
    QString Folder() const { return home.ConfigHome() + "/Quillbrook"; }
    QString IniPath() const { return Folder() + "/FirewallFirewall.ini"; }
    void WriteIni(const QByteArray& bytes)
    {
        QDir().mkpath(Folder());
        TempHome::WriteAll(IniPath(), bytes);
    }

    TempHome home;
};

TEST_F(SettingsStoreTest, AbsentValuesGiveTheDefaultAndSavesAreVisibleAtOnceAndSurviveAReopen)
{
    {
        SettingsStore store;
        EXPECT_EQ(store.FilePath("Firewall"), Folder() + "/Firewall.ini");
        EXPECT_EQ(store.Get(kFirewallApplication, "Programs", "ProgramCount"), "");
        EXPECT_EQ(store.Get(kFirewallApplication, "Programs", "Name1", "Name not found"), "Name not found");
        EXPECT_FALSE(QFileInfo::exists(Folder())); // reading creates nothing on disk
        store.Save(kFirewallApplication, "Programs", "Path1", "/USR/BIN/CURL");
        store.Save(kApplicationTitle, "Setting", "Connection", "2");
        EXPECT_EQ(store.Get(kFirewallApplication, "Programs", "Path1"), "/USR/BIN/CURL");
        EXPECT_FALSE(QFileInfo::exists(IniPath())); // not before the sync
        EXPECT_TRUE(store.Sync());
        EXPECT_TRUE(QFileInfo::exists(IniPath()));
    }
    {
        SettingsStore reopened;
        EXPECT_EQ(reopened.Get(kFirewallApplication, "Programs", "Path1"), "/USR/BIN/CURL");
        EXPECT_EQ(reopened.Get(kApplicationTitle, "Setting", "Connection"), "2");
        EXPECT_EQ(reopened.Get(kApplicationTitle, "Programs", "Path1", "absent"), "absent");
        reopened.Save(kFirewallApplication, "Programs", "ProgramCount", "3"); // synced when it goes away
    }
    EXPECT_EQ(SettingsStore().Get(kFirewallApplication, "Programs", "ProgramCount"), "3");
}

TEST_F(SettingsStoreTest, SectionsKeysAndValuesRoundTripExactlyAsSpelled)
{
    const std::vector<std::pair<QString, QString>> names = {{"Programs", "Name1"}, {"Programs", "name1"},
                                                            {"Programs", "NAME1"}, {"Programs", "a/b"},
                                                            {"Programs", "a\\b"},  {"Programs", "a%2Fb"},
                                                            {"Programs", "%"},     {"Programs", ""},
                                                            {"Programs", "/"},     {"Programs", "k=v;#x"},
                                                            {"Programs", " lead"}, {"Programs", "Ünï ☃"},
                                                            {"General", "k"},      {"", "k"},
                                                            {"a/b", "k"},          {"a", "b/k"}};
    const QStringList values = {"",           " padded ",      "a,b, c",    "@Variant(x)", "\"quoted\"",
                                "semi;colon", "line\nbreak\r", "tab\there", "back\\slash", "Ünïcödé ☃",
                                "=x=",        "#hash",         "1",         "2",           "3",
                                "4"};
    ASSERT_EQ(values.size(), static_cast<qsizetype>(names.size()));
    {
        SettingsStore store;
        for (std::size_t i = 0; i < names.size(); ++i)
            store.Save(kFirewallApplication, names[i].first, names[i].second, values[i]);
        ASSERT_TRUE(store.Sync());
    }
    SettingsStore reopened;
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(reopened.Get(kFirewallApplication, names[i].first, names[i].second, "absent"), values[i])
            << "[" << names[i].first.toStdString() << "] " << names[i].second.toStdString();
    }
    const QByteArray file = TempHome::ReadAll(IniPath());
    EXPECT_TRUE(file.contains("\nName1=")) << file.toStdString();
    EXPECT_TRUE(file.contains("\nname1=")) << file.toStdString();
}

TEST_F(SettingsStoreTest, DeleteRemovesOneKeyAndIgnoresAbsentOnes)
{
    SettingsStore store;
    store.Save(kFirewallApplication, "Programs", "Name1", "A");
    store.Save(kFirewallApplication, "Programs", "Name2", "B");
    store.Delete(kFirewallApplication, "Programs", "Name1");
    store.Delete(kFirewallApplication, "Programs", "Name7");
    store.Delete(kFirewallApplication, "Other", "Name2");
    store.Delete(kApplicationTitle, "Setting", "Connection");
    ASSERT_TRUE(store.Sync());
    EXPECT_FALSE(QFileInfo::exists(Folder() + "/Firewall.ini")); // a delete of nothing writes nothing
    EXPECT_EQ(TempHome::ReadAll(IniPath()), "[Programs]\nName2=B\n");
}

TEST_F(SettingsStoreTest, AWellFormedFileIsNeitherBackedUpNorLosesItsKeysAndListsReadAsText)
{
    WriteIni("; comment\n[Programs]\nName1=A\nList=a, b,c\n\n[Cache]\nMaxSize=5\n");
    {
        SettingsStore store;
        EXPECT_EQ(store.Get(kFirewallApplication, "Programs", "List"), "a,b,c");
        store.Save(kFirewallApplication, "Programs", "Name2", "B");
    }
    EXPECT_FALSE(QFileInfo::exists(IniPath() + ".damaged"));
    SettingsStore reopened;
    EXPECT_EQ(reopened.Get(kFirewallApplication, "Programs", "Name1"), "A");
    EXPECT_EQ(reopened.Get(kFirewallApplication, "Cache", "MaxSize"), "5");
}

TEST_F(SettingsStoreTest, ADamagedFileIsKeptAsABackupAndWhatCouldBeReadSurvives)
{
    static constexpr char kNulInValue[] = "[Programs]\nName1=KEPT\nName2=a\0b\n";
    const std::pair<const char*, QByteArray> cases[] = {
        {"line without equals", "[Programs]\nName1=KEPT\nPath1 /USR/BIN\n"},
        {"unclosed section", "[Programs]\nName1=KEPT\n[Cache\nMaxSize=5\n"},
        {"NUL in a value", QByteArray(kNulInValue, sizeof(kNulInValue) - 1)},
        {"invalid UTF-8", "[Programs]\nName1=KEPT\nName2=\xff\xfe\n"}};
    for (const auto& [name, original] : cases) {
        SCOPED_TRACE(name);
        QFile::remove(IniPath() + ".damaged");
        WriteIni(original);
        SettingsStore store;
        EXPECT_EQ(store.Get(kFirewallApplication, "Programs", "Name1"), "KEPT");
        EXPECT_EQ(store.Get(kFirewallApplication, "Programs", "Path1", "default"), "default");
        store.Save(kFirewallApplication, "Programs", "Status1", "1");
        EXPECT_TRUE(store.Sync());
        EXPECT_EQ(TempHome::ReadAll(IniPath() + ".damaged"), original);
        const QByteArray written = TempHome::ReadAll(IniPath());
        EXPECT_TRUE(written.contains("\nName1=KEPT\n") && written.contains("\nStatus1=1\n"))
            << written.toStdString();
    }
}

TEST_F(SettingsStoreTest, ASecondBackupDoesNotReplaceTheFirst)
{
    WriteIni("[Programs]\nName1=A\ngarbage\n");
    TempHome::WriteAll(IniPath() + ".damaged", "older backup");
    {
        SettingsStore store;
        store.Save(kFirewallApplication, "Programs", "Name2", "B");
    }
    EXPECT_EQ(TempHome::ReadAll(IniPath() + ".damaged"), "older backup");
    EXPECT_EQ(TempHome::ReadAll(IniPath() + ".damaged.1"), "[Programs]\nName1=A\ngarbage\n");
}

TEST_F(SettingsStoreTest, ADirectoryInPlaceOfTheFileReadsAsDefaultsAndIsMovedAside)
{
    QDir().mkpath(IniPath() + "/inside");
    SettingsStore store;
    EXPECT_EQ(store.Get(kFirewallApplication, "Programs", "Name1", "def"), "def");
    store.Save(kFirewallApplication, "Programs", "Name1", "A");
    EXPECT_TRUE(store.Sync());
    EXPECT_TRUE(QFileInfo(IniPath() + ".damaged/inside").isDir());
    EXPECT_EQ(TempHome::ReadAll(IniPath()), "[Programs]\nName1=A\n");
}

TEST_F(SettingsStoreTest, AnUnwritableFolderKeepsValuesInMemoryWithoutStopping)
{
    // A regular file where the folder should be: nothing can be created below it.
    TempHome::WriteAll(home.Path() + "/blocked", "x");
    SettingsStore store(home.Path() + "/blocked");
    store.Save(kFirewallApplication, "Programs", "Name1", "A");
    EXPECT_FALSE(store.Sync());
    EXPECT_EQ(store.Get(kFirewallApplication, "Programs", "Name1"), "A");
    EXPECT_EQ(TempHome::ReadAll(home.Path() + "/blocked"), "x");
}

} // namespace
} // namespace qb

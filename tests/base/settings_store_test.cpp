#include "base/settings_store.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <utility>

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
    // The rules' section, where most of the program's values live.
    static QString Get(SettingsStore& store, const QString& key, const QString& defaultValue = {})
    {
        return store.Get(kFirewallApplication, "Programs", key, defaultValue);
    }
    static void Save(SettingsStore& store, const QString& key, const QString& value)
    {
        store.Save(kFirewallApplication, "Programs", key, value);
    }

    TempHome home;
};

TEST_F(SettingsStoreTest, AbsentValuesGiveTheDefaultAndSavesAreVisibleAtOnceAndSurviveAReopen)
{
    {
        SettingsStore store;
        EXPECT_EQ(Get(store, "Name1", "Name not found"), "Name not found");
        EXPECT_FALSE(QFileInfo::exists(Folder())); // reading creates nothing on disk
        Save(store, "Path1", "/USR/BIN/CURL");
        store.Save(kApplicationTitle, "Setting", "Connection", "2");
        EXPECT_EQ(Get(store, "Path1"), "/USR/BIN/CURL");
        EXPECT_FALSE(QFileInfo::exists(IniPath())); // not before the sync
        EXPECT_TRUE(store.Sync());
    }
    {
        SettingsStore reopened;
        EXPECT_EQ(Get(reopened, "Path1"), "/USR/BIN/CURL");
        EXPECT_EQ(reopened.Get(kApplicationTitle, "Setting", "Connection"), "2");
        EXPECT_EQ(reopened.Get(kApplicationTitle, "Programs", "Path1", "absent"), "absent");
        Save(reopened, "ProgramCount", "3"); // synced when it goes away
    }
    SettingsStore last;
    EXPECT_EQ(Get(last, "ProgramCount"), "3");
}

TEST_F(SettingsStoreTest, SectionsKeysAndValuesRoundTripExactlyAsSpelled)
{
    const std::pair<QString, QString> names[] = {
        {"Programs", "Name1"}, {"Programs", "name1"}, {"Programs", "a/b"}, {"Programs", "a\\b"},
        {"Programs", "a%2Fb"}, {"Programs", "%"},     {"Programs", ""},    {"Programs", "k=v;#x"},
        {"Programs", " lead"}, {"Programs", "Ünï ☃"}, {"General", "k"},    {"", "k"},
        {"a/b", "k"},          {"a", "b/k"}};
    const QString values[] = {
        "",          " padded ",    "a,b, c",    "@Variant(x)", "\"quoted\"", "semi;colon", "line\nbreak\r",
        "tab\there", "back\\slash", "Ünïcödé ☃", "=x=",         "#hash",      "1",          "2"};
    static_assert(std::size(names) == std::size(values));
    {
        SettingsStore store;
        for (std::size_t i = 0; i < std::size(names); ++i)
            store.Save(kFirewallApplication, names[i].first, names[i].second, values[i]);
        ASSERT_TRUE(store.Sync());
    }
    SettingsStore reopened;
    for (std::size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(reopened.Get(kFirewallApplication, names[i].first, names[i].second, "absent"), values[i])
            << names[i].first.toStdString() << "/" << names[i].second.toStdString();
    const QByteArray file = TempHome::ReadAll(IniPath());
    EXPECT_TRUE(file.contains("\nName1=\n") && file.contains("\nname1=")) << file.toStdString();
}

TEST_F(SettingsStoreTest, AWellFormedFileIsNeitherBackedUpNorLosesItsKeysAndListsReadAsText)
{
    WriteIni("; comment\n[Programs]\nName1=A\nList=a, b,c\n\n[Cache]\nMaxSize=5\n");
    {
        SettingsStore store;
        EXPECT_EQ(Get(store, "List"), "a,b,c");
        Save(store, "Name2", "B");
    }
    EXPECT_FALSE(QFileInfo::exists(IniPath() + ".damaged"));
    SettingsStore reopened;
    EXPECT_EQ(Get(reopened, "Name1"), "A");
    EXPECT_EQ(reopened.Get(kFirewallApplication, "Cache", "MaxSize"), "5");
}

TEST_F(SettingsStoreTest, ADamagedFileIsKeptAsABackupBesideEarlierOnesAndWhatCouldBeReadSurvives)
{
    static constexpr char kNulInValue[] = "[Programs]\nName1=KEPT\nName2=a\0b\n";
    const QByteArray cases[] = {"[Programs]\nName1=KEPT\nPath1 /USR/BIN\n",       // a line without "="
                                "[Programs]\nName1=KEPT\n[Cache\nMaxSize=5\n",    // an unclosed section
                                QByteArray(kNulInValue, sizeof(kNulInValue) - 1), // NUL in a value
                                "[Programs]\nName1=KEPT\nName2=\xff\xfe\n"};      // invalid UTF-8
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        WriteIni(cases[i]);
        SettingsStore store;
        EXPECT_EQ(Get(store, "Name1"), "KEPT");
        EXPECT_EQ(Get(store, "Path1", "default"), "default");
        Save(store, "Status1", "1");
        EXPECT_TRUE(store.Sync());
        // A later backup never replaces an earlier one.
        EXPECT_EQ(TempHome::ReadAll(IniPath() + ".damaged" + (i ? "." + QString::number(i) : "")), cases[i]);
        const QByteArray written = TempHome::ReadAll(IniPath());
        EXPECT_TRUE(written.contains("\nName1=KEPT\n") && written.contains("\nStatus1=1\n"))
            << written.toStdString();
    }
}

TEST_F(SettingsStoreTest, AFolderInPlaceOfTheFileIsMovedAsideAndAnUnwritableFolderKeepsValuesInMemory)
{
    QDir().mkpath(IniPath() + "/inside");
    SettingsStore store;
    EXPECT_EQ(Get(store, "Name1", "def"), "def");
    Save(store, "Name1", "A");
    EXPECT_TRUE(store.Sync());
    EXPECT_TRUE(QFileInfo(IniPath() + ".damaged/inside").isDir());
    EXPECT_EQ(TempHome::ReadAll(IniPath()), "[Programs]\nName1=A\n");
    // A regular file where the folder should be: nothing can be created below it.
    TempHome::WriteAll(home.Path() + "/blocked", "x");
    SettingsStore blocked(home.Path() + "/blocked");
    Save(blocked, "Name1", "A");
    EXPECT_FALSE(blocked.Sync());
    EXPECT_EQ(Get(blocked, "Name1"), "A");
    EXPECT_EQ(TempHome::ReadAll(home.Path() + "/blocked"), "x");
}

} // namespace
} // namespace qb

#include "base/settings_store.h"
#include "fakes/fake_host_lookup.h"
#include "net/dictionary.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <utility>
#include <vector>

namespace qb {
namespace {

using test::FakeHostLookup;
using test::TempHome;

class DictionaryTest : public ::testing::Test {
protected:
    DictionaryTest() { QDir().mkpath(folder); }

    std::unique_ptr<CDictionary> Make()
    {
        auto dictionary = std::make_unique<CDictionary>(settings, lookup, folder);
        QObject::connect(
            dictionary.get(), &CDictionary::HostNameResolved,
            [this](const QString& address, const QString& name) { resolved.emplace_back(address, name); });
        return dictionary;
    }
    void SetCache(const QString& key, const QString& value)
    {
        settings.Save(kFirewallApplication, "Cache", key, value);
    }
    QString CacheIni() const { return folder + "cache.ini"; }
    static QString Address(int i)
    {
        return "10.0." + QString::number(i / 256) + "." + QString::number(i % 256);
    }
    static QByteArray Entries(int first, int last)
    {
        QByteArray bytes;
        for (int i = first; i <= last; ++i)
            bytes += Address(i).toLatin1() + ",host" + QByteArray::number(i) + "\r\n";
        return bytes;
    }

    TempHome home;
    QString folder = home.Path() + "/program/";
    SettingsStore settings;
    FakeHostLookup lookup;
    std::vector<std::pair<QString, QString>> resolved;
};

// A miss answering at once and filling in later through a real look-up is pinned by the integration tests.
TEST_F(DictionaryTest,
       OneLookUpRunsPerAddressAtATimeANoNameIsCachedATimeOutAskedAgainAMinuteLaterAndNoneAnswersTheGone)
{
    auto now = std::chrono::steady_clock::now();
    const auto dictionary = Make();
    dictionary->Now = [&now] { return now; };
    for (const char* address : {"9.9.9.9", "9.9.9.9", "10.1.2.3"})
        EXPECT_EQ(dictionary->CheckDictionary(address), address);
    EXPECT_EQ(lookup.started, QStringList({"9.9.9.9", "10.1.2.3"}));
    ASSERT_TRUE(lookup.Fail("10.1.2.3") && lookup.TimeOut("9.9.9.9"));
    EXPECT_EQ(resolved, (std::vector<std::pair<QString, QString>>{{"10.1.2.3", "10.1.2.3"}}));
    EXPECT_EQ(dictionary->CheckDictionary("10.1.2.3"), "10.1.2.3");
    EXPECT_EQ(dictionary->Addresses(), QStringList{"10.1.2.3"});
    now += CDictionary::kRetryAfter - std::chrono::seconds(1);
    EXPECT_EQ(dictionary->CheckDictionary("9.9.9.9"), "9.9.9.9");
    EXPECT_EQ(lookup.started.size(), 2);
    now += std::chrono::seconds(1);
    dictionary->CheckDictionary("9.9.9.9");
    ASSERT_TRUE(lookup.Release("9.9.9.9", "back.example"));
    ASSERT_TRUE(dictionary->WriteCache());
    EXPECT_EQ(TempHome::ReadAll(CacheIni()), "10.1.2.3,10.1.2.3\r\n9.9.9.9,back.example\r\n");
    auto gone = Make();
    gone->CheckDictionary("1.2.3.4");
    gone.reset();
    EXPECT_TRUE(lookup.Release("1.2.3.4", "late.example")); // and ignored
    EXPECT_EQ(resolved.size(), 2u);
}

TEST_F(DictionaryTest, ALongerFileIsLoadedWholeThenCutToMaxSizeWhichNewAnswersNeverPassThrough)
{
    TempHome::WriteAll(CacheIni(), Entries(1, 150));
    const auto dictionary = Make();
    ASSERT_EQ(dictionary->MaxSize(), 100);
    EXPECT_EQ(dictionary->Addresses().size(), 150);
    dictionary->CheckDictionary("9.9.9.9");
    ASSERT_TRUE(lookup.Release("9.9.9.9", "new.example"));
    EXPECT_EQ(resolved.back(), std::make_pair(QString("9.9.9.9"), QString("new.example")));
    const QStringList left = dictionary->Addresses();
    ASSERT_EQ(left.size(), 100);
    EXPECT_EQ(left.front(), Address(1));
    EXPECT_EQ(left.back(), Address(100));
    // Full: the new address is resolved again each time it is asked for.
    EXPECT_EQ(dictionary->CheckDictionary("9.9.9.9"), "9.9.9.9");
    EXPECT_EQ(lookup.started, QStringList({"9.9.9.9", "9.9.9.9"}));
}

TEST_F(DictionaryTest, MaxSizeIsReadAsAWholeNumberWithin0To32767)
{
    const std::pair<const char*, int> cases[] = {{"0", 0},         {"abc", 0},      {"-5", 0},
                                                 {"2", 2},         {"2.5", 2},      {"3.5 entries", 4},
                                                 {"99999", 32767}, {"1e300", 32767}};
    TempHome::WriteAll(CacheIni(), Entries(1, 3));
    for (const auto& [stored, maxSize] : cases) {
        SetCache("MaxSize", stored);
        FakeHostLookup ownLookup;
        CDictionary dictionary(settings, ownLookup, folder);
        EXPECT_EQ(dictionary.MaxSize(), maxSize) << stored;
        dictionary.CheckDictionary("9.9.9.9");
        ASSERT_TRUE(ownLookup.Release("9.9.9.9", "new.example"));
        EXPECT_EQ(dictionary.Addresses().size(), std::min(4, maxSize)) << stored;
    }
}

TEST_F(DictionaryTest, LinesAreReadLenientlyAndHitsAnswerWithoutALookUp)
{
    TempHome::WriteAll(CacheIni(),
                       "1.1.1.1,first\r\nno comma here\r\n\r\n1.1.1.1,second\r\n2.2.2.2,a,b,c\n"
                       "  3.3.3.3, \tspaced \r\n4.4.4.4,\r\n,nameless\r\n5.5.5.5,last without line end");
    const auto dictionary = Make();
    EXPECT_EQ(dictionary->Addresses(),
              QStringList({"1.1.1.1", "2.2.2.2", "3.3.3.3", "4.4.4.4", "", "5.5.5.5"}));
    EXPECT_EQ(dictionary->CheckDictionary("1.1.1.1"), "first");
    EXPECT_EQ(dictionary->CheckDictionary("2.2.2.2"), "a,b,c");
    EXPECT_TRUE(lookup.started.isEmpty());
    EXPECT_EQ(dictionary->Cached("3.3.3.3"), "spaced ");
    EXPECT_EQ(dictionary->Cached("4.4.4.4"), "");
    EXPECT_EQ(dictionary->Cached(""), "nameless");
    EXPECT_EQ(dictionary->Cached("5.5.5.5"), "last without line end");
}

TEST_F(DictionaryTest, WriteCacheWritesEveryWritableEntryInOrderAndReadsBackTheSame)
{
    TempHome::WriteAll(CacheIni(), "1.1.1.1,one\r\n2.2.2.2,two words \r\n");
    const auto dictionary = Make();
    const std::pair<QString, QString> answers[] = {
        {"3.3.3.3", "three"},       {"4.4.4.4", "comma,name"},
        {"5.5.5.5", "line\nbreak"}, {"6.6.6.6", "cr\rname"},
        {"7.7.7.7", "nul"},         {"8.8.8.8", " leading"},
        {"9.9.9.9", "9.9.9.9"},     {"2001:db8::9", "six"},
        {"fe80::1%2", "fe80::1%2"}, // IPv6 keys, a link-local one with its scope
    };
    for (const auto& [address, name] : answers) {
        dictionary->CheckDictionary(address);
        // The NUL ends "nul": a literal cannot carry it.
        ASSERT_TRUE(lookup.Release(address, address == "7.7.7.7" ? name + QChar(0) : name));
    }
    ASSERT_TRUE(dictionary->WriteCache());
    EXPECT_EQ(TempHome::ReadAll(CacheIni()),
              "1.1.1.1,one\r\n2.2.2.2,two words \r\n3.3.3.3,three\r\n9.9.9.9,9.9.9.9\r\n2001:db8::9,six\r\n"
              "fe80::1%2,fe80::1%2\r\n");
    EXPECT_EQ(dictionary->Cached("4.4.4.4"), "comma,name"); // kept in memory
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"cache.ini"});

    FakeHostLookup otherLookup;
    CDictionary reread(settings, otherLookup, folder);
    EXPECT_EQ(reread.Addresses(),
              QStringList({"1.1.1.1", "2.2.2.2", "3.3.3.3", "9.9.9.9", "2001:db8::9", "fe80::1%2"}));
    EXPECT_EQ(reread.Cached("2.2.2.2"), "two words ");
}

TEST_F(DictionaryTest, TheFileNamedByFilenameIsReadAndWrittenAnEmptyCacheIniBesideItAndAFifoNeverWaitedFor)
{
    TempHome::WriteAll(home.Path() + "/other.ini", "1.2.3.4,far.example\r\n");
    SetCache("Filename", home.Path() + "/other.ini");
    const auto dictionary = Make();
    EXPECT_TRUE(QFileInfo(CacheIni()).isFile());
    EXPECT_EQ(dictionary->CheckDictionary("1.2.3.4"), "far.example");
    dictionary->CheckDictionary("5.6.7.8");
    ASSERT_TRUE(lookup.Release("5.6.7.8", "x.example"));
    ASSERT_TRUE(dictionary->WriteCache());
    EXPECT_EQ(TempHome::ReadAll(home.Path() + "/other.ini"), "1.2.3.4,far.example\r\n5.6.7.8,x.example\r\n");
    EXPECT_EQ(QFileInfo(CacheIni()).size(), 0);

    SetCache("Filename", home.Path() + "/no/such/folder/cache.ini");
    EXPECT_FALSE(Make()->WriteCache());
    const QString fifo = home.Path() + "/fifo";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    SetCache("Filename", fifo);
    CDictionary unusable(settings, lookup, home.Path() + "/missing/"); // a FIFO would block for good
    EXPECT_TRUE(unusable.Addresses().isEmpty());
    EXPECT_EQ(unusable.CheckDictionary("1.2.3.4"), "1.2.3.4");
}

} // namespace
} // namespace qb

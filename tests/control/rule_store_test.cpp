#include "control/applications_model.h"
#include "control/rule_store.h"
#include "shell/settings_store.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace qb {
namespace {

using test::TempHome;

constexpr auto kIePath = "c:\\Program Files\\Internet Explorer\\iexplore.exe";

class RuleStoreTest : public ::testing::Test {
protected:
    RuleStoreTest()
        : settings(std::make_unique<SettingsStore>()),
          rules(std::make_unique<RuleStore>(*settings, Dialogs())), model(*rules)
    {
    }

    RuleStoreDialogs Dialogs()
    {
        return {[this](const QString& question) {
                    questions << question;
                    return answer;
                },
                [this](const QString& message) { told << message; }};
    }
    QString Stored(const QString& key, const QString& fallback = "<absent>")
    {
        return settings->Get(kFirewallApplication, "Programs", key, fallback);
    }
    void Store(const QString& key, const QString& value)
    {
        settings->Save(kFirewallApplication, "Programs", key, value);
    }
    // What reached the file (another store in this process would share the unsynced state).
    QString OnDisk(const QString& key)
    {
        const QString text = QString::fromUtf8(TempHome::ReadAll(settings->FilePath(kFirewallApplication)));
        bool inPrograms = false;
        for (const QString& line : text.split(u'\n')) {
            if (line.startsWith(u'['))
                inPrograms = line == "[Programs]";
            else if (inPrograms && line.startsWith(key + "="))
                return line.mid(key.size() + 1);
        }
        return "<absent>";
    }
    QStringList Row(int row)
    {
        return {model.data(model.index(row, 0)).toString(), model.data(model.index(row, 1)).toString(),
                model.data(model.index(row, 2)).toString()};
    }

    TempHome home;
    QStringList questions;
    QStringList told;
    bool answer = true;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<RuleStore> rules;
    ApplicationsModel model;
};

TEST_F(RuleStoreTest, AnEmptyStoreLoadsOnlyTheDefaultRuleZero)
{
    EXPECT_EQ(rules->CheckProgramID(""), -1); // nothing is searched before the first load
    rules->UpdatePrograms();
    ASSERT_EQ(rules->LoadedCount(), 1);
    const ProgramRule& rule = rules->Rule(0);
    EXPECT_EQ(rule.Name, "Name not found");
    EXPECT_EQ(rule.Path, kIePath);
    EXPECT_TRUE(rule.Blocked);
    EXPECT_EQ(rule.Attempts, 0);
    EXPECT_EQ(rule.Blocks, 0);
    EXPECT_EQ(rule.RuleCount, 0);

    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(Row(0), QStringList({"Name not found", kIePath, "Block"}));
    EXPECT_EQ(model.data(model.index(0, 0), Qt::UserRole).toInt(), 0);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Application Name");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Path");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "Action");
    EXPECT_EQ(rules->CheckProgramID("C:\\PROGRAM FILES\\INTERNET EXPLORER\\IEXPLORE.EXE"), 0);
}

struct AddCase {
    int16_t block;
    bool asked;
    const char* action;
};

class RuleStoreAddTest : public RuleStoreTest, public ::testing::WithParamInterface<AddCase> {};

TEST_P(RuleStoreAddTest, StoresUpperCaseNameAndPathAndAsksOnlyAboutAllowRules)
{
    ASSERT_TRUE(rules->AddProgram("/usr/bin/Curl", GetParam().block));
    EXPECT_EQ(questions,
              GetParam().asked ? QStringList{"Are you sure you want allways allow Curl ?"} : QStringList{});
    EXPECT_EQ(OnDisk("Name1"), "CURL");
    EXPECT_EQ(OnDisk("Path1"), "/USR/BIN/CURL");
    EXPECT_EQ(OnDisk("Status1"), QString::number(GetParam().block));
    EXPECT_EQ(OnDisk("ProgramCount"), "1");

    rules->UpdatePrograms();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(Row(1), QStringList({"CURL", "/USR/BIN/CURL", GetParam().action}));
    EXPECT_EQ(model.data(model.index(1, 2), Qt::UserRole).toInt(), 1);
    EXPECT_EQ(rules->Rule(1).RuleCount, 1);
    EXPECT_EQ(rules->Rule(0).RuleCount, 1);
}

INSTANTIATE_TEST_SUITE_P(Decisions, RuleStoreAddTest,
                         ::testing::Values(AddCase{1, true, "Allow"}, AddCase{0, false, "Block"},
                                           AddCase{7, true, "Allow"}));

TEST_F(RuleStoreTest, NoToTheQuestionCancelsTheAdd)
{
    answer = false;
    EXPECT_FALSE(rules->AddProgram("/opt/app/tool", 1));
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(Stored("ProgramCount"), "<absent>");
    EXPECT_EQ(Stored("Name1"), "<absent>");
}

TEST_F(RuleStoreTest, PathsMatchWithoutRegardToCaseAndInNoOtherLooserWay)
{
    ASSERT_TRUE(rules->AddProgram("/usr/bin/curl", 1));
    rules->UpdatePrograms();
    EXPECT_EQ(rules->CheckProgramID("/usr/bin/curl"), 1);
    EXPECT_EQ(rules->CheckProgramID("/USR/bin/Curl"), 1);
    for (const char* other : {"/usr/bin/curl ", "/usr/bin/cur", "/usr/bin//curl", "usr/bin/curl", "curl",
                              "/usr/local/bin/curl", ""})
        EXPECT_EQ(rules->CheckProgramID(other), -1) << other;
}

TEST_F(RuleStoreTest, TheFirstOfTwoEqualPathsWins)
{
    ASSERT_TRUE(rules->AddProgram("/bin/nc", 0));
    ASSERT_TRUE(rules->AddProgram("/BIN/NC", 1));
    rules->UpdatePrograms();
    EXPECT_EQ(rules->CheckProgramID("/bin/Nc"), 1);
}

TEST_F(RuleStoreTest, StatusReadsAsBlockedOnlyWhenItsIntegerPartIsZero)
{
    const std::vector<std::pair<QString, bool>> cases = {{"0", true},   {"1", false},  {"2", false},
                                                         {"-1", false}, {"0.9", true}, {"abc", true},
                                                         {"", true},    {" 1x", false}};
    Store("ProgramCount", QString::number(cases.size()));
    for (size_t i = 0; i < cases.size(); ++i)
        Store("Status" + QString::number(i + 1), cases[i].first);
    rules->UpdatePrograms();
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(rules->Rule(static_cast<int>(i + 1)).Blocked, cases[i].second)
            << cases[i].first.toStdString();
}

class RuleStoreWithThreeRulesTest : public RuleStoreTest {
protected:
    void SetUp() override
    {
        for (const char* path : {"/bin/a", "/bin/b", "/bin/c"})
            ASSERT_TRUE(rules->AddProgram(path, 1));
        Store("Attempts2", "20");
        Store("Blocks2", "2");
        Store("Attempts3", "30");
        Store("Blocks3", "3");
    }
};

TEST_F(RuleStoreWithThreeRulesTest, DeletingAMiddleRuleMovesLaterRulesDownWithTheirCounters)
{
    ASSERT_TRUE(rules->DeleteProgram(2));
    EXPECT_EQ(OnDisk("ProgramCount"), "2");
    EXPECT_EQ(OnDisk("Path1"), "/BIN/A");
    EXPECT_EQ(OnDisk("Path2"), "/BIN/C");
    EXPECT_EQ(OnDisk("Attempts2"), "30");
    EXPECT_EQ(OnDisk("Blocks2"), "3");
    for (const char* key : {"Name3", "Path3", "Status3", "Attempts3", "Blocks3"})
        EXPECT_EQ(OnDisk(key), "<absent>") << key;

    rules->UpdatePrograms();
    EXPECT_EQ(rules->LoadedCount(), 3);
    EXPECT_EQ(rules->Rule(2).Attempts, 30);
    EXPECT_EQ(rules->CheckProgramID("/bin/b"), -1);
    EXPECT_EQ(rules->CheckProgramID("/bin/c"), 2);
}

TEST_F(RuleStoreWithThreeRulesTest, DeletingTheHighestRuleOnlyRemovesItsKeys)
{
    ASSERT_TRUE(rules->DeleteProgram(3));
    EXPECT_EQ(OnDisk("ProgramCount"), "2");
    EXPECT_EQ(OnDisk("Path2"), "/BIN/B");
    EXPECT_EQ(OnDisk("Attempts2"), "20");
    for (const char* key : {"Name3", "Path3", "Status3", "Attempts3", "Blocks3"})
        EXPECT_EQ(OnDisk(key), "<absent>") << key;
}

TEST_F(RuleStoreWithThreeRulesTest, DeletingRuleZeroReplacesThePlaceholderWithTheFirstRule)
{
    ASSERT_TRUE(rules->DeleteProgram(0));
    rules->UpdatePrograms();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(Row(0), QStringList({"A", "/BIN/A", "Allow"}));
    EXPECT_EQ(Row(2), QStringList({"C", "/BIN/C", "Allow"}));
    EXPECT_EQ(rules->CheckProgramID(kIePath), -1);
}

TEST_F(RuleStoreWithThreeRulesTest, AnIndexOutsideTheStoredRulesChangesNothing)
{
    for (int16_t index : {int16_t(-1), int16_t(4), int16_t(32767), int16_t(-32768)})
        EXPECT_FALSE(rules->DeleteProgram(index)) << index;
    EXPECT_EQ(OnDisk("ProgramCount"), "3");
    EXPECT_EQ(OnDisk("Path3"), "/BIN/C");
}

TEST_F(RuleStoreWithThreeRulesTest, ARuleAddedAfterADeleteStartsWithZeroCounters)
{
    ASSERT_TRUE(rules->DeleteProgram(3));
    Store("Attempts3", "99"); // as left behind by an older version
    ASSERT_TRUE(rules->AddProgram("/bin/d", 0));
    rules->UpdatePrograms();
    EXPECT_EQ(rules->Rule(3).Path, "/BIN/D");
    EXPECT_EQ(rules->Rule(3).Attempts, 0);
    EXPECT_EQ(rules->Rule(3).Blocks, 0);
}

TEST_F(RuleStoreWithThreeRulesTest, SettingAStatusChangesOnlyThatRulesDecisionAndReachesTheDisk)
{
    rules->UpdatePrograms();
    ASSERT_TRUE(rules->SetProgramStatus(2, 0));
    EXPECT_EQ(OnDisk("Status2"), "0");
    EXPECT_EQ(rules->Rule(2).Blocked, false); // not patched in place: the caller reloads
    rules->UpdatePrograms();
    EXPECT_EQ(Row(2), QStringList({"B", "/BIN/B", "Block"}));
    EXPECT_EQ(Row(1), QStringList({"A", "/BIN/A", "Allow"}));
    EXPECT_EQ(rules->Rule(2).Attempts, 20);

    ASSERT_TRUE(rules->SetProgramStatus(2, 1));
    rules->UpdatePrograms();
    EXPECT_EQ(Row(2), QStringList({"B", "/BIN/B", "Allow"}));
}

TEST_F(RuleStoreWithThreeRulesTest, SettingTheStatusOfThePlaceholderAllowsItsDefaultPath)
{
    ASSERT_TRUE(rules->SetProgramStatus(0, 1));
    rules->UpdatePrograms();
    EXPECT_EQ(Row(0), QStringList({"Name not found", kIePath, "Allow"}));
    EXPECT_EQ(OnDisk("Path0"), "<absent>");
}

TEST_F(RuleStoreWithThreeRulesTest, SettingTheStatusOfARuleThatIsNotStoredChangesNothing)
{
    for (int16_t index : {int16_t(-1), int16_t(4), int16_t(32767)})
        EXPECT_FALSE(rules->SetProgramStatus(index, 0)) << index;
    EXPECT_EQ(OnDisk("Status4"), "<absent>");
    EXPECT_EQ(Stored("Status-1"), "<absent>");
}

TEST_F(RuleStoreTest, DeletingRuleZeroOfAnEmptyStoreEmptiesTheListAndTheNextAddIsRuleZero)
{
    ASSERT_TRUE(rules->DeleteProgram(0));
    EXPECT_EQ(OnDisk("ProgramCount"), "-1");
    rules->UpdatePrograms();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(rules->CheckProgramID(kIePath), -1);

    ASSERT_TRUE(rules->AddProgram("/bin/sh", 0));
    EXPECT_EQ(OnDisk("Path0"), "/BIN/SH");
    EXPECT_EQ(OnDisk("ProgramCount"), "0");
    rules->UpdatePrograms();
    EXPECT_EQ(Row(0), QStringList({"SH", "/BIN/SH", "Block"}));
}

struct CountCase {
    const char* stored;
    int loaded;
};

class StoredProgramCountTest : public RuleStoreTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(StoredProgramCountTest, IsClampedToTheTable)
{
    Store("ProgramCount", GetParam().stored);
    rules->UpdatePrograms();
    EXPECT_EQ(rules->LoadedCount(), GetParam().loaded);
    EXPECT_EQ(model.rowCount(), GetParam().loaded);
}

INSTANTIATE_TEST_SUITE_P(Texts, StoredProgramCountTest,
                         ::testing::Values(CountCase{"abc", 1}, CountCase{"", 1}, CountCase{"3xyz", 4},
                                           CountCase{"-1", 0}, CountCase{"-7", 0}, CountCase{"2000", 2001},
                                           CountCase{"5000", 2001}, CountCase{"2147483648", 2001}));

TEST_F(RuleStoreTest, AFullTableRefusesTheAddWithAMessage)
{
    Store("ProgramCount", "1999");
    EXPECT_TRUE(rules->AddProgram("/bin/last", 0));
    EXPECT_TRUE(told.isEmpty());
    EXPECT_FALSE(rules->AddProgram("/bin/one-too-many", 1));
    EXPECT_EQ(told, QStringList{"The program list is full: at most 2000 programs can have a rule."});
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(Stored("ProgramCount"), "2000");
    EXPECT_EQ(Stored("Path2001"), "<absent>");
}

TEST_F(RuleStoreTest, AHugeStoredCountDeletesWithinTheTable)
{
    Store("ProgramCount", "2147483647");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(rules->DeleteProgram(1999));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(Stored("ProgramCount"), "1999");
    EXPECT_FALSE(rules->DeleteProgram(2001));
}

TEST_F(RuleStoreTest, CountersSaturateAndReachTheDiskAtTheEndOfARefresh)
{
    ASSERT_TRUE(rules->AddProgram("/bin/busy", 0));
    Store("Attempts1", "2147483646");
    Store("Blocks1", "99999999999");
    rules->UpdatePrograms();
    EXPECT_EQ(rules->Rule(1).Blocks, 2147483647);
    EXPECT_EQ(rules->CountAttempt(1), 2147483647);
    EXPECT_EQ(rules->CountAttempt(1), 2147483647);
    EXPECT_EQ(rules->CountBlock(1), 2147483647);
    EXPECT_EQ(rules->CountAttempt(2), 0); // not loaded
    rules->SyncCounters();
    EXPECT_EQ(OnDisk("Attempts1"), "2147483647");
    EXPECT_EQ(OnDisk("Blocks1"), "2147483647");
    EXPECT_EQ(OnDisk("Attempts2"), "<absent>");
}

TEST_F(RuleStoreTest, TheModelResetsAroundEveryReload)
{
    int resets = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    rules->UpdatePrograms();
    ASSERT_TRUE(rules->AddProgram("/bin/x", 0));
    EXPECT_EQ(model.rowCount(), 1); // the table is never patched in place
    rules->UpdatePrograms();
    EXPECT_EQ(resets, 2);
    EXPECT_EQ(model.rowCount(), 2);
}

} // namespace
} // namespace qb

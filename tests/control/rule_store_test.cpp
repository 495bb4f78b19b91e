#include "control/control_world.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <chrono>

namespace qb {
namespace {

class RuleStoreTest : public ::testing::Test, protected test::ControlWorld {};

TEST_F(RuleStoreTest, AnEmptyStoreIsAnEmptyListAndANumberWithoutAPathHoldsNoRule)
{
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(!rules->DeleteProgram(0) && !rules->SetProgramStatus(0, 1));
    EXPECT_FALSE(QFile::exists(settings->FilePath(kFirewallApplication)));
    Store("ProgramCount", "3"); // number 0 as a delete leaves it, 1 and 3 damaged
    Store("Path0", "/bin/zero");
    Store("Name1", "ONE");
    Store("Path3", "");
    Store("Path2", "/bin/two");
    rules->UpdatePrograms();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(Row(1), QStringList({"Name not found", "/bin/two", "Block"}));
    EXPECT_EQ(model.index(1, 0).data(Qt::UserRole), 2);
    EXPECT_EQ(rules->CheckProgramID("/bin/zero"), 0);
    EXPECT_EQ(rules->CheckProgramID(""), -1);
    EXPECT_FALSE(rules->SetProgramStatus(1, 0));
}

struct AddCase {
    int16_t block;
    bool answer;
    bool asked;
    const char* action; // nullptr: nothing stored
};

class RuleStoreAddTest : public RuleStoreTest, public ::testing::WithParamInterface<AddCase> {};

TEST_P(RuleStoreAddTest, StoresNameAndPathAsGivenAndAsksOnlyAboutAllowRules)
{
    const AddCase& c = GetParam();
    answer = c.answer;
    EXPECT_EQ(rules->AddProgram("/usr/bin/Curl", c.block), c.action != nullptr);
    EXPECT_EQ(questions, c.asked ? QStringList{"Are you sure you want allways allow Curl ?"} : QStringList{});
    EXPECT_EQ(model.rowCount(), 0); // the table is never patched in place
    EXPECT_EQ(OnDisk({"ProgramCount", "Status1"}),
              c.action ? QStringList({"1", QString::number(c.block)}) : QStringList(2, "<absent>"));
    if (c.action) {
        rules->UpdatePrograms();
        EXPECT_EQ(Row(0), QStringList({"Curl", "/usr/bin/Curl", c.action}));
        EXPECT_EQ(rules->Rule(1).RuleCount, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Decisions, RuleStoreAddTest,
                         ::testing::Values(AddCase{1, true, true, "Allow"}, AddCase{0, false, false, "Block"},
                                           AddCase{7, true, true, "Allow"},
                                           AddCase{1, false, true, nullptr}));

TEST_F(RuleStoreTest, PathsMatchExactlyCaseIncludedAndInNoLooserWayTheFirstMatchWinning)
{
    AddRule("/usr/bin/curl", 1);
    AddRule("/usr/bin/CURL", 0);
    AddRule("/usr/bin/curl", 0);
    EXPECT_EQ(rules->CheckProgramID("/usr/bin/curl"), 1);
    EXPECT_EQ(rules->CheckProgramID("/usr/bin/CURL"), 2);
    for (const char* other :
         {"/usr/bin/Curl", "/USR/BIN/CURL", "/usr/bin/curl ", "/usr/bin//curl", "curl", ""})
        EXPECT_EQ(rules->CheckProgramID(other), -1) << other;
}

TEST_F(RuleStoreTest, AnUpperCasedPathOfAnOlderStoreTakesTheSpellingOfTheOneFileItNamesOnce)
{
    for (const char* file : {"/Tools/MyProg", "/Two/ab", "/Two/aB"})
        ASSERT_TRUE(QDir().mkpath(QFileInfo(home.Path() + file).path()) &&
                    QFile(home.Path() + file).open(QIODevice::WriteOnly));
    const QString stored[] = {home.Path().toUpper() + "/TOOLS/MYPROG", home.Path().toUpper() + "/TWO/AB",
                              "/NO/SUCH/FILE"};
    Store("ProgramCount", "3");
    for (int n = 1; n <= 3; ++n) {
        Store("Path" + QString::number(n), stored[n - 1]);
        Store("Name" + QString::number(n), stored[n - 1].section('/', -1));
    }
    Store("Attempts1", "4");
    rules->UpdatePrograms();
    EXPECT_EQ(Row(0), QStringList({"MyProg", home.Path() + "/Tools/MyProg", "Block"}));
    EXPECT_EQ(rules->Rule(1).Attempts, 4);
    // Two files or none: kept as stored, listed, matching nothing that runs.
    EXPECT_EQ(OnDisk({"Path1", "Path2", "Path3", "ExactPaths"}),
              QStringList({home.Path() + "/Tools/MyProg", stored[1], stored[2], "1"}));
    Store("Path1", stored[0]); // once only: a rule stored by this version is never respelled
    rules->UpdatePrograms();
    EXPECT_EQ(rules->Rule(1).Path, stored[0]);
}

TEST_F(RuleStoreTest, StatusReadsAsBlockedOnlyWhenItsIntegerPartIsZero)
{
    const std::vector<std::pair<QString, bool>> cases = {
        {"0", true}, {"1", false}, {"-1", false}, {"0.9", true}, {"abc", true}, {"", true}, {" 1x", false}};
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
        Store("Attempts3", "30");
        Store("Blocks3", "3");
    }
};

TEST_F(RuleStoreWithThreeRulesTest, DeletingMovesLaterRulesDownWithTheirCountersButNoneIntoNumberZero)
{
    ASSERT_TRUE(rules->DeleteProgram(2));
    EXPECT_EQ(OnDisk({"ProgramCount", "Path2", "Attempts2", "Blocks2"}),
              QStringList({"2", "/bin/c", "30", "3"}));
    EXPECT_EQ(OnDisk({"Name3", "Path3", "Status3", "Attempts3", "Blocks3"}), QStringList(5, "<absent>"));
    Store("Attempts3", "99"); // as left behind by an older version
    ASSERT_TRUE(rules->AddProgram("/bin/d", 0));
    rules->UpdatePrograms();
    EXPECT_EQ(rules->CheckProgramID("/bin/b"), -1);
    EXPECT_EQ(rules->CheckProgramID("/bin/c"), 2);
    EXPECT_EQ(Row(2), QStringList({"d", "/bin/d", "Block"}));
    EXPECT_EQ(rules->Rule(3).Attempts, 0);
    ASSERT_TRUE(rules->DeleteProgram(1));
    rules->UpdatePrograms();
    EXPECT_EQ(Row(0), QStringList({"c", "/bin/c", "Allow"}));
    EXPECT_EQ(OnDisk("Path0"), "<absent>");
}

TEST_F(RuleStoreWithThreeRulesTest, SettingAStatusChangesOnlyThatRuleAndNumbersWithoutARuleNothing)
{
    for (int16_t index : {int16_t(-1), int16_t(0), int16_t(4), int16_t(32767), int16_t(-32768)}) {
        EXPECT_FALSE(rules->DeleteProgram(index)) << index;
        EXPECT_FALSE(rules->SetProgramStatus(index, 0)) << index;
    }
    EXPECT_EQ(OnDisk({"ProgramCount", "Status4", "Status0"}), QStringList({"3", "<absent>", "<absent>"}));
    ASSERT_TRUE(rules->SetProgramStatus(2, 0));
    rules->UpdatePrograms();
    EXPECT_EQ(Row(1), QStringList({"b", "/bin/b", "Block"}));
    EXPECT_EQ(Row(2)[2], "Allow");
    EXPECT_EQ(rules->Rule(2).Attempts, 20);
}

TEST_F(RuleStoreTest, TheStoredProgramCountIsClampedToTheTable)
{
    const std::pair<const char*, int> cases[] = {{"abc", 1},     {"3xyz", 4},    {"-7", 0},
                                                 {"2000", 2001}, {"5000", 2001}, {"2147483648", 2001}};
    Store("Path2000", "/bin/last");
    for (const auto& [stored, loaded] : cases) {
        Store("ProgramCount", stored);
        rules->UpdatePrograms();
        EXPECT_EQ(rules->LoadedCount(), loaded) << stored;
        EXPECT_EQ(model.rowCount(), loaded / 2001) << stored;
    }
}

TEST_F(RuleStoreTest, AFullTableRefusesTheAddWithAMessageAndAHugeCountDeletesWithinTheTable)
{
    Store("ProgramCount", "1999");
    EXPECT_TRUE(rules->AddProgram("/bin/last", 0));
    EXPECT_TRUE(told.isEmpty());
    EXPECT_FALSE(rules->AddProgram("/bin/one-too-many", 1));
    EXPECT_EQ(told, QStringList{"The program list is full: at most 2000 programs can have a rule."});
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(OnDisk({"ProgramCount", "Path2001"}), QStringList({"2000", "<absent>"}));

    Store("ProgramCount", "2147483647");
    Store("Path1999", "/bin/x");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(rules->DeleteProgram(1999));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(OnDisk("ProgramCount"), "1999");
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
    EXPECT_EQ(rules->CountBlock(1), 2147483647);
    EXPECT_EQ(rules->CountAttempt(2), 0); // not loaded
    rules->SyncCounters();
    EXPECT_EQ(OnDisk({"Attempts1", "Blocks1", "Attempts2"}),
              QStringList({"2147483647", "2147483647", "<absent>"}));
}

} // namespace
} // namespace qb

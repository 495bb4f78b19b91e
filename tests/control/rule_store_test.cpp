#include "control/control_world.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <chrono>

namespace qb {
namespace {

class RuleStoreTest : public ::testing::Test, protected test::ControlWorld {};

TEST_F(RuleStoreTest, AnEmptyStoreIsAnEmptyListANumberWithoutAPathHoldsNoRuleAndStatusZeroBlocks)
{
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(!rules->DeleteProgram(0) && !rules->SetProgramStatus(0, 1));
    EXPECT_FALSE(QFile::exists(settings->FilePath(kFirewallApplication)));
    // Number 0 as a delete leaves it, 1 and 3 damaged; Status read by its integer part.
    const std::pair<const char*, const char*> stored[] = {
        {"Path0", "/bin/zero"}, {"Name1", "ONE"},   {"Path2", "/bin/two"}, {"Path3", ""},
        {"ProgramCount", "9"},  {"Status0", "0.9"}, {"Status2", " 1x"},    {"Status4", "-1"},
        {"Status5", "abc"},     {"Status6", ""}};
    for (const auto& [key, value] : stored)
        Store(key, value);
    rules->UpdatePrograms();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(Row(0), QStringList({"Name not found", "/bin/zero", "Block"}));
    EXPECT_EQ(Row(1)[2], "Allow");
    EXPECT_EQ(model.index(1, 0).data(Qt::UserRole), 2);
    EXPECT_EQ((std::vector{rules->Rule(4).Blocked, rules->Rule(5).Blocked, rules->Rule(6).Blocked}),
              (std::vector{false, true, true}));
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

std::string CaseName(const ::testing::TestParamInfo<AddCase>& info)
{
    return "Status" + std::to_string(info.param.block) + (info.param.answer ? "" : "Declined");
}

INSTANTIATE_TEST_SUITE_P(Decisions, RuleStoreAddTest,
                         ::testing::Values(AddCase{1, true, true, "Allow"}, AddCase{0, false, false, "Block"},
                                           AddCase{7, true, true, "Allow"}, AddCase{1, false, true, nullptr}),
                         CaseName);

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
    const QString upper = home.Path().toUpper();
    const QStringList stored = {upper + "/TOOLS/MYPROG", upper + "/TWO/AB", "/NO/SUCH/FILE"};
    Store("ProgramCount", "3");
    for (int n = 1; n <= 3; ++n)
        Store("Path" + QString::number(n), stored[n - 1]);
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

class RuleStoreWithThreeRulesTest : public RuleStoreTest {
protected:
    void SetUp() override
    {
        for (const char* path : {"/bin/a", "/bin/b", "/bin/c"})
            ASSERT_TRUE(rules->AddProgram(path, 1));
        Store("Attempts3", "30");
        Store("Blocks3", "3");
    }
};

TEST_F(RuleStoreWithThreeRulesTest, StatusAndDeleteChangeOnlyTheirRuleTheLaterOnesMovingDownWithCounters)
{
    for (int16_t index : {int16_t(-1), int16_t(0), int16_t(4), int16_t(32767), int16_t(-32768)})
        EXPECT_TRUE(!rules->DeleteProgram(index) && !rules->SetProgramStatus(index, 0)) << index;
    EXPECT_EQ(OnDisk({"ProgramCount", "Status4", "Status0"}), QStringList({"3", "<absent>", "<absent>"}));
    ASSERT_TRUE(rules->SetProgramStatus(3, 0));
    ASSERT_TRUE(rules->DeleteProgram(2));
    EXPECT_EQ(OnDisk({"ProgramCount", "Path2", "Status2", "Attempts2", "Blocks2"}),
              QStringList({"2", "/bin/c", "0", "30", "3"}));
    EXPECT_EQ(OnDisk({"Name3", "Path3", "Status3", "Attempts3", "Blocks3"}), QStringList(5, "<absent>"));
    Store("Attempts3", "99"); // as left behind by an older version
    ASSERT_TRUE(rules->AddProgram("/bin/d", 0));
    rules->UpdatePrograms();
    EXPECT_EQ(rules->CheckProgramID("/bin/b"), -1);
    EXPECT_EQ(Row(1), QStringList({"c", "/bin/c", "Block"}));
    EXPECT_EQ(Row(2), QStringList({"d", "/bin/d", "Block"}));
    EXPECT_EQ(rules->Rule(3).Attempts, 0);
    ASSERT_TRUE(rules->DeleteProgram(1)); // nothing moves into number 0
    rules->UpdatePrograms();
    EXPECT_EQ(Row(0), QStringList({"c", "/bin/c", "Block"}));
    EXPECT_EQ(OnDisk("Path0"), "<absent>");
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

TEST_F(RuleStoreTest, CountersSaturateInMemoryAndReachTheDiskOnAReloadAndWhenTheStoreGoesAway)
{
    ASSERT_TRUE(rules->AddProgram("/bin/busy", 0));
    Store("Attempts1", "2147483646");
    Store("Blocks1", "99999999999");
    rules->UpdatePrograms();
    EXPECT_EQ(rules->Rule(1).Blocks, 2147483647);
    EXPECT_EQ(rules->CountAttempt(1), 2147483647);
    EXPECT_EQ(rules->CountBlock(1), 2147483647);
    EXPECT_EQ(rules->CountAttempt(2), 0); // not loaded
    EXPECT_TRUE(rules->CountersPending());
    EXPECT_NE(OnDisk("Attempts1"), "2147483647");
    rules->UpdatePrograms(); // as the Applications page does when it is shown
    EXPECT_EQ(OnDisk({"Attempts1", "Blocks1", "Attempts2"}),
              QStringList({"2147483647", "2147483647", "<absent>"}));
    EXPECT_EQ(rules->Rule(1).Attempts, 2147483647);
    ASSERT_TRUE(rules->AddProgram("/bin/other", 0));
    {
        RuleStore atExit(*settings, {});
        atExit.UpdatePrograms();
        atExit.CountAttempt(2);
        EXPECT_TRUE(atExit.CountersPending());
    }
    EXPECT_EQ(OnDisk("Attempts2"), "1");
}

} // namespace
} // namespace qb

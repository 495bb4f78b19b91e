#include "control/control_world.h"

#include <gtest/gtest.h>

#include <chrono>

namespace qb {
namespace {

using test::kIePath;

class RuleStoreTest : public ::testing::Test, protected test::ControlWorld {};

TEST_F(RuleStoreTest, AnEmptyStoreHoldsTheBlockingRuleZeroWhoseDeleteEmptiesTheListUntilTheNextAdd)
{
    EXPECT_EQ(Row(0), QStringList({"Name not found", kIePath, "Block"}));
    ASSERT_TRUE(rules->DeleteProgram(0));
    EXPECT_EQ(OnDisk("ProgramCount"), "-1");
    rules->UpdatePrograms();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(rules->CheckProgramID(kIePath), -1);

    AddRule("/bin/sh", 0);
    EXPECT_EQ(OnDisk("ProgramCount"), "0");
    EXPECT_EQ(Row(0), QStringList({"SH", "/BIN/SH", "Block"}));
}

struct AddCase {
    int16_t block;
    bool answer;
    bool asked;
    const char* action; // nullptr: nothing stored
};

class RuleStoreAddTest : public RuleStoreTest, public ::testing::WithParamInterface<AddCase> {};

TEST_P(RuleStoreAddTest, StoresUpperCaseNameAndPathAndAsksOnlyAboutAllowRules)
{
    const AddCase& c = GetParam();
    answer = c.answer;
    EXPECT_EQ(rules->AddProgram("/usr/bin/Curl", c.block), c.action != nullptr);
    EXPECT_EQ(questions, c.asked ? QStringList{"Are you sure you want allways allow Curl ?"} : QStringList{});
    EXPECT_EQ(model.rowCount(), 1); // the table is never patched in place
    EXPECT_EQ(OnDisk({"ProgramCount", "Status1"}),
              c.action ? QStringList({"1", QString::number(c.block)}) : QStringList(2, "<absent>"));
    if (c.action) {
        rules->UpdatePrograms();
        EXPECT_EQ(Row(1), QStringList({"CURL", "/USR/BIN/CURL", c.action}));
        EXPECT_EQ(rules->Rule(0).RuleCount, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Decisions, RuleStoreAddTest,
                         ::testing::Values(AddCase{1, true, true, "Allow"}, AddCase{0, false, false, "Block"},
                                           AddCase{7, true, true, "Allow"},
                                           AddCase{1, false, true, nullptr}));

TEST_F(RuleStoreTest, PathsMatchWithoutRegardToCaseAndInNoOtherLooserWayTheFirstMatchWinning)
{
    AddRule("/usr/bin/curl", 1);
    AddRule("/USR/BIN/CURL", 0);
    EXPECT_EQ(rules->CheckProgramID("/USR/bin/Curl"), 1);
    EXPECT_EQ(rules->CheckProgramID("C:\\PROGRAM FILES\\INTERNET EXPLORER\\IEXPLORE.EXE"), 0);
    for (const char* other : {"/usr/bin/curl ", "/usr/bin/cur", "/usr/bin//curl", "curl", ""})
        EXPECT_EQ(rules->CheckProgramID(other), -1) << other;
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

TEST_F(RuleStoreWithThreeRulesTest, DeletingMovesLaterRulesDownWithTheirCountersAndTheFirstIntoRuleZero)
{
    ASSERT_TRUE(rules->DeleteProgram(2));
    EXPECT_EQ(OnDisk({"ProgramCount", "Path2", "Attempts2", "Blocks2"}),
              QStringList({"2", "/BIN/C", "30", "3"}));
    EXPECT_EQ(OnDisk({"Name3", "Path3", "Status3", "Attempts3", "Blocks3"}), QStringList(5, "<absent>"));
    Store("Attempts3", "99"); // as left behind by an older version
    ASSERT_TRUE(rules->AddProgram("/bin/d", 0));
    rules->UpdatePrograms();
    EXPECT_EQ(rules->CheckProgramID("/bin/b"), -1);
    EXPECT_EQ(rules->CheckProgramID("/bin/c"), 2);
    EXPECT_EQ(rules->Rule(3).Path, "/BIN/D");
    EXPECT_EQ(rules->Rule(3).Attempts, 0);

    ASSERT_TRUE(rules->DeleteProgram(0)); // the placeholder goes, the first rule takes its place
    rules->UpdatePrograms();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(Row(0), QStringList({"A", "/BIN/A", "Allow"}));
    EXPECT_EQ(rules->CheckProgramID(kIePath), -1);
}

TEST_F(RuleStoreWithThreeRulesTest, SettingAStatusChangesOnlyThatRuleAndIndicesOutsideTheRulesNothing)
{
    for (int16_t index : {int16_t(-1), int16_t(4), int16_t(32767), int16_t(-32768)}) {
        EXPECT_FALSE(rules->DeleteProgram(index)) << index;
        EXPECT_FALSE(rules->SetProgramStatus(index, 0)) << index;
    }
    EXPECT_EQ(OnDisk({"ProgramCount", "Status4"}), QStringList({"3", "<absent>"}));
    ASSERT_TRUE(rules->SetProgramStatus(2, 0));
    ASSERT_TRUE(rules->SetProgramStatus(0, 1));
    EXPECT_EQ(OnDisk({"Status2", "Path0"}),
              QStringList({"0", "<absent>"})); // rule zero keeps its default path
    rules->UpdatePrograms();
    EXPECT_EQ(Row(0), QStringList({"Name not found", kIePath, "Allow"}));
    EXPECT_EQ(Row(2), QStringList({"B", "/BIN/B", "Block"}));
    EXPECT_EQ(Row(3)[2], "Allow");
    EXPECT_EQ(rules->Rule(2).Attempts, 20);
}

TEST_F(RuleStoreTest, TheStoredProgramCountIsClampedToTheTable)
{
    const std::pair<const char*, int> cases[] = {{"abc", 1},     {"3xyz", 4},    {"-7", 0},
                                                 {"2000", 2001}, {"5000", 2001}, {"2147483648", 2001}};
    for (const auto& [stored, loaded] : cases) {
        Store("ProgramCount", stored);
        rules->UpdatePrograms();
        EXPECT_EQ(model.rowCount(), loaded) << stored;
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

#include "control/attempt_prompt.h"
#include "control/control_world.h"

#include <gtest/gtest.h>

#include <optional>

namespace qb {
namespace {

using test::ControlWorld;

// Access control opens a prompt the way the main window does: created and filled at once.
class AttemptPromptTest : public ::testing::Test, protected ControlWorld {
protected:
    AttemptPromptTest()
    {
        access.OpenPrompt = [this](const std::string& path, int16_t index) {
            prompts.push_back(std::make_unique<AttemptPrompt>(access, table, source, *rules));
            prompts.back()->ShowInfo(path, index);
        };
    }
    // "/usr/bin/curl", pid 100, in slot 4, now frozen and prompted.
    AttemptPrompt& Curl()
    {
        Connect(4, 100);
        EXPECT_FALSE(access.CheckPrograms("/usr/bin/curl", 4));
        EXPECT_EQ(prompts.size(), 1u);
        return *prompts.front();
    }

    std::vector<std::unique_ptr<AttemptPrompt>> prompts;
};

TEST_F(AttemptPromptTest, TheActionListHasFourChoicesAndNoChoiceMeansBlock)
{
    EXPECT_EQ(AttemptPrompt::ActionTexts(),
              QStringList({"Block program", "Allow program", "Allways block this program",
                           "Allways allow this program"}));
    // The positions inside the list are pinned by what each choice does below.
    EXPECT_EQ(AttemptPrompt::ActionAt(4), PromptAction::Block);
}

struct OkCase {
    int position;
    bool closesConnection;
    std::optional<QString> storedStatus;
};

class OkChoiceTest : public AttemptPromptTest, public ::testing::WithParamInterface<OkCase> {};

TEST_P(OkChoiceTest, OkActsOnTheConnectionAndTheStoreThenReloadsAndReleases)
{
    const OkCase& c = GetParam();
    AttemptPrompt& prompt = Curl();
    const ConnectionRecord triggering = table.Connections[4];
    ASSERT_TRUE(Frozen(100));

    prompt.Ok(AttemptPrompt::ActionAt(c.position));

    EXPECT_EQ(source.deleted, c.closesConnection ? std::vector<TcpEndpoints>{test::EndpointsOf(triggering)}
                                                 : std::vector<TcpEndpoints>{});
    EXPECT_EQ(OnDisk("Status1"), c.storedStatus.value_or("<absent>"));
    // Both lists were reloaded before the prompt ended: the new rule is a row of its own.
    EXPECT_EQ(model.rowCount(), c.storedStatus ? 2 : 1);
    if (c.storedStatus) {
        EXPECT_EQ(rules->CheckProgramID("/usr/bin/curl"), 1);
    }
    EXPECT_FALSE(Frozen(100));
    EXPECT_EQ(access.CurrentProcessing(), "");
    EXPECT_TRUE(prompt.Ended());
}

INSTANTIATE_TEST_SUITE_P(EveryChoice, OkChoiceTest,
                         ::testing::Values(OkCase{-1, true, std::nullopt}, OkCase{0, true, std::nullopt},
                                           OkCase{1, false, std::nullopt}, OkCase{2, true, QString("0")},
                                           OkCase{3, false, QString("1")}));

TEST_F(AttemptPromptTest, AllowOnceIsForgottenSoTheNextSightingAsksAgain)
{
    AttemptPrompt& first = Curl();
    first.Ok(PromptAction::Allow);
    EXPECT_FALSE(access.CheckPrograms("/usr/bin/curl", 4));
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_TRUE(Frozen(100));
    // The first prompt's window closing afterwards must not release the second prompt's freeze.
    first.Close();
    EXPECT_TRUE(Frozen(100));
    EXPECT_TRUE(access.IsPending("/usr/bin/curl"));
}

TEST_F(AttemptPromptTest, DecliningTheAllowQuestionStoresNothingAndStillReleases)
{
    answer = false;
    Curl().Ok(PromptAction::AlwaysAllow);
    EXPECT_EQ(questions, QStringList({"Are you sure you want allways allow curl ?"}));
    EXPECT_EQ(OnDisk("Status1"), "<absent>");
    EXPECT_FALSE(Frozen(100));
}

TEST_F(AttemptPromptTest, TheCloseBoxReleasesAndLeavesConnectionAndStoreAlone)
{
    AttemptPrompt& prompt = Curl();
    prompt.Close();
    EXPECT_FALSE(Frozen(100));
    EXPECT_EQ(access.CurrentProcessing(), "");
    prompt.Ok(PromptAction::AlwaysBlock); // an ended prompt does nothing more
    EXPECT_TRUE(source.deleted.empty());
    EXPECT_EQ(OnDisk("ProgramCount"), "<absent>");
}

TEST_F(AttemptPromptTest, OkActsOnTheCopiedConnectionAfterTheSlotWasReused)
{
    AttemptPrompt& curl = Curl();
    const ConnectionRecord triggering = table.Connections[4];
    // A later refresh puts another program's connection into the same slot, and that one is pending too.
    Connect(4, 200, "8.8.8.8", 53, 40999);
    access.CheckPrograms("/usr/bin/dig", 4);
    ASSERT_EQ(prompts.size(), 2u);
    ASSERT_TRUE(Frozen(200));

    curl.Ok(PromptAction::Block);
    EXPECT_EQ(source.deleted, std::vector<TcpEndpoints>{test::EndpointsOf(triggering)});
    EXPECT_FALSE(Frozen(100));
    EXPECT_TRUE(Frozen(200));
    EXPECT_EQ(access.CurrentProcessing(), QString("\x01/usr/bin/dig\x01"));

    prompts[1]->Close();
    EXPECT_FALSE(Frozen(200));
}

TEST_F(AttemptPromptTest, APromptForASlotOutsideTheTableDeletesNothing)
{
    AttemptPrompt prompt(access, table, source, *rules);
    prompt.ShowInfo("/usr/bin/curl", -1);
    prompt.Ok(PromptAction::Block);
    EXPECT_TRUE(source.deleted.empty());
    EXPECT_TRUE(prompt.Ended());
}

} // namespace
} // namespace qb

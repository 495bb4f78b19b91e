#include "clip/splash_clip_data.h"
#include "fakes/fake_step_clock.h"
#include "shell/avi_player_widget.h"
#include "shell/frm_splash_window.h"
#include "shell/loading_sequence.h"
#include "shell/program_resource.h"
#include "support/wait_until.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qb {
namespace {

using namespace std::chrono_literals;

// Every progress line and step as "time text|", in order.
class LoadingSequenceTest : public ::testing::Test {
protected:
    test::FakeStepClock clock;
    std::string log;
    bool online = true;
    bool proxy = true;
    int64_t loadTakes = 0;

    bool Note(const std::string& what)
    {
        log += std::to_string(clock.now) + " " + what + "|";
        return true;
    }

    std::unique_ptr<LoadingSequence> Start(int64_t at)
    {
        clock.now = at;
        LoadingSteps steps;
        steps.LoadMainWindow = [this] { clock.now += Note("load") ? loadTakes : 0; };
        steps.IsOnline = [this] { return Note("online?") && online; };
        steps.UpdatePrograms = [this] { Note("programs"); };
        steps.IsProxy = [this] { return Note("proxy?") && proxy; };
        steps.ShowMainWindow = [this] { Note("show"); };
        steps.RefreshList = [this] { Note("refresh"); };
        auto sequence = std::make_unique<LoadingSequence>(
            clock, steps, [this](const QString& text) { Note(text.toStdString()); },
            [this] { Note("finished"); });
        sequence->Start();
        return sequence;
    }
};

TEST_F(LoadingSequenceTest, EachLineHoldsUntilItsSecondSinceTheStartAndTheChecksPickTheLines)
{
    proxy = false;
    auto sequence = Start(10000);
    EXPECT_EQ(sequence->StartTime(), 10);
    clock.AdvanceTo(10499);
    EXPECT_TRUE(log.empty());
    clock.AdvanceTo(20000);
    // "More than one second": 11000 is not yet.
    EXPECT_EQ(log, "10500 Loading... GUI|10500 load|11001 Loading... Checking connections|12001 online?|"
                   "12001 Connections online|13001 Loading... Programs list|13001 programs|14001 proxy?|"
                   "14001 Loading... Proxy: not found|15001 show|15001 refresh|15001 finished|");
    EXPECT_TRUE(sequence->Finished());
    online = false;
    proxy = true;
    log.clear();
    sequence = Start(0);
    clock.Advance(10000);
    EXPECT_TRUE(log.find("|2001 Connections offline|") != std::string::npos &&
                log.find("|4001 Loading... Proxy: Found|") != std::string::npos)
        << log;
}

TEST_F(LoadingSequenceTest, ALateStartOrASlowMainWindowShortensTheWaitsAfterIt)
{
    // The start time drops its fraction: step 1 ends after its second has passed, step 2 follows at once.
    auto sequence = Start(10700);
    clock.AdvanceTo(11200);
    EXPECT_EQ(log, "11200 Loading... GUI|11200 load|11200 Loading... Checking connections|");
    clock.AdvanceTo(20000);
    EXPECT_TRUE(log.ends_with("|15001 finished|"));
    log.clear();
    loadTakes = 2500;
    sequence = Start(10000);
    clock.AdvanceTo(13000);
    // "Checking connections" is replaced at once by the online result.
    EXPECT_EQ(log, "10500 Loading... GUI|10500 load|13000 Loading... Checking connections|13000 online?|"
                   "13000 Connections online|");
    clock.AdvanceTo(20000);
    EXPECT_TRUE(log.ends_with("|15001 finished|"));
}

TEST_F(LoadingSequenceTest, RunsOnceHoweverOftenItIsStartedAndDestroyingItCancelsTheWait)
{
    auto sequence = Start(0);
    clock.Advance(3000);
    sequence->Start();
    clock.Advance(60000);
    for (const char* step : {" load|", " show|", " finished|"})
        EXPECT_TRUE(log.find(step) != std::string::npos && log.find(step) == log.rfind(step)) << step;
    EXPECT_FALSE(clock.Pending());
    sequence = Start(0);
    clock.Advance(1500);
    ASSERT_TRUE(clock.Pending());
    sequence.reset();
    EXPECT_FALSE(clock.Pending());
}

TEST_F(LoadingSequenceTest, EmptyStepsAreSkippedAndChecksReadFalse)
{
    LoadingSequence sequence(
        clock, LoadingSteps{}, [this](const QString& text) { Note(text.toStdString()); }, nullptr);
    sequence.Start();
    clock.Advance(10000);
    EXPECT_EQ(log, "500 Loading... GUI|1001 Loading... Checking connections|2001 Connections offline|"
                   "3001 Loading... Programs list|4001 Loading... Proxy: not found|");
    EXPECT_TRUE(sequence.Finished());
}

TEST(FrmSplashTest, AnUnwritableFolderWarnsOnceAndTheSplashGoesOnWithoutAnimation)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile(dir.filePath(QStringLiteral("notAFolder"))).open(QIODevice::WriteOnly)); // no folder
    test::FakeStepClock clock;
    FrmSplash splash(clock);
    splash.AnimationFile = dir.filePath(QStringLiteral("notAFolder/nacitavanie.avi"));
    QStringList warnings;
    int shown = 0;
    splash.ShowWarning = [&](const QString& title, const QString& text) { warnings << title + "|" + text; };
    splash.Steps.ShowMainWindow = [&] { ++shown; };
    splash.show();
    splash.LoadAmination();
    clock.Advance(10000);
    EXPECT_EQ(warnings,
              QStringList{"Warning|20:Error in BuildFileFromResource.  Error Message: Not a directory"});
    EXPECT_TRUE(shown == 1 && !splash.Animation().IsOpen());
}

TEST(AviPlayerTest, LoopsThroughItsFramesWithTheKeyColourTransparentOnlyWhenAskedAndRefusesDamagedFiles)
{
    QTemporaryDir dir;
    const QString clip = BuildFileFromResource(dir.filePath(QStringLiteral("clip.avi")), kSplashClipResource,
                                               QStringLiteral("AVI"), nullptr);
    AviPlayerWidget player;
    ASSERT_TRUE(player.Open(clip));
    EXPECT_EQ(player.FrameImage().pixelColor(0, 0), QColor(255, 255, 255));
    player.SetTransparent(true);
    // The key colour around the padlock, not its body.
    EXPECT_TRUE(player.FrameImage().pixelColor(0, 0).alpha() == 0 &&
                player.FrameImage().pixelColor(30, 45).alpha() == 255);
    player.Play();
    // Frames run at 80 ms: the loop wraps within two seconds.
    EXPECT_TRUE(test::WaitUntil([&] { return player.CurrentFrame() > 10; }, 4000ms));
    EXPECT_TRUE(test::WaitUntil([&] { return player.CurrentFrame() < 3; }, 4000ms));
    ASSERT_TRUE(QFile::resize(clip, static_cast<qint64>(kSplashClipSize / 2)));
    EXPECT_FALSE(player.Open(clip));
    EXPECT_TRUE(!player.IsOpen() && player.FrameImage().isNull());
    player.Play();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.Open(dir.filePath(QStringLiteral("missing.avi"))));
}

} // namespace
} // namespace qb

#include "clip/splash_clip_data.h"
#include "fakes/fake_step_clock.h"
#include "shell/avi_player_widget.h"
#include "shell/frm_splash_window.h"
#include "support/wait_until.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qb {
namespace {

using namespace std::chrono_literals;

class FrmSplashTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    test::FakeStepClock clock;
    QStringList warnings;
    int shown = 0;
    int refreshed = 0;

    std::unique_ptr<FrmSplash> Make(const QString& animationFile)
    {
        clock.now = 50000;
        auto splash = std::make_unique<FrmSplash>(clock);
        splash->AnimationFile = animationFile;
        splash->ShowWarning = [this](const QString& title, const QString& text) {
            warnings << title + "|" + text;
        };
        splash->Steps.IsOnline = [] { return false; };
        splash->Steps.ShowMainWindow = [this] { ++shown; };
        splash->Steps.RefreshList = [this] { ++refreshed; };
        return splash;
    }
};

TEST_F(FrmSplashTest, ShowsItsCaptionsPlaysTheWrittenClipAndHandsOverToTheMainWindow)
{
    const QString file = dir.filePath(QStringLiteral("nacitavanie.avi"));
    auto splash = Make(file);
    QStringList captions;
    for (const QLabel* label : splash->findChildren<QLabel*>()) {
        captions << label->text();
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
    EXPECT_TRUE(captions.contains(QStringLiteral("Personal Firewall")));
    EXPECT_TRUE(captions.contains(QStringLiteral("Quillbrook")));
    EXPECT_EQ(splash->ProgressText(), QStringLiteral("Loading..."));

    int finished = 0;
    QObject::connect(splash.get(), &FrmSplash::Finished, [&] { ++finished; });
    splash->show();
    splash->LoadAmination();
    EXPECT_EQ(QFile(file).size(), static_cast<qint64>(kSplashClipSize));
    EXPECT_TRUE(splash->Animation().IsPlaying());
    EXPECT_EQ(splash->Animation().FrameCount(), 16);
    clock.AdvanceTo(52001);
    EXPECT_EQ(splash->ProgressText(), QStringLiteral("Connections offline"));
    clock.AdvanceTo(54001);
    EXPECT_EQ(splash->ProgressText(), QStringLiteral("Loading... Proxy: not found"));
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(shown, 0);
    clock.AdvanceTo(55001);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(refreshed, 1);
    EXPECT_FALSE(splash->isVisible());
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(warnings.isEmpty());
}

TEST_F(FrmSplashTest, AnUnwritableFolderWarnsOnceAndTheSplashGoesOnWithoutAnimation)
{
    QFile blocker(dir.filePath(QStringLiteral("notAFolder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto splash = Make(dir.filePath(QStringLiteral("notAFolder/nacitavanie.avi")));
    splash->show();
    splash->LoadAmination();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0],
              QStringLiteral("Warning|20:Error in BuildFileFromResource.  Error Message: Not a directory"));
    EXPECT_FALSE(splash->Animation().IsOpen());
    clock.Advance(10000);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(warnings.size(), 1);
}

class AviPlayerTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QByteArray clip{reinterpret_cast<const char*>(kSplashClip),
                          static_cast<qsizetype>(kSplashClipSize)};

    QString Write(const QByteArray& bytes)
    {
        const QString path = dir.filePath(QStringLiteral("clip.avi"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }
};

TEST_F(AviPlayerTest, LoopsThroughItsFramesWithTheKeyColourTransparentOnlyWhenAsked)
{
    AviPlayerWidget player;
    ASSERT_TRUE(player.Open(Write(clip)));
    EXPECT_EQ(player.FrameImage().pixelColor(0, 0), QColor(255, 255, 255));
    player.SetTransparent(true);
    EXPECT_EQ(player.FrameImage().pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(player.FrameImage().pixelColor(30, 45).alpha(), 255); // the padlock's body

    player.Play();
    int highest = 0;
    // Frames run at 80 ms: the loop wraps within two seconds.
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            highest = std::max(highest, player.CurrentFrame());
            return highest > 10 && player.CurrentFrame() < 3;
        },
        4000ms));
    player.Stop();
    const int stoppedAt = player.CurrentFrame();
    test::RunEvents(200ms);
    EXPECT_EQ(player.CurrentFrame(), stoppedAt);
}

TEST_F(AviPlayerTest, DamagedOrMissingFilesShowNothing)
{
    AviPlayerWidget player;
    ASSERT_TRUE(player.Open(Write(clip)));
    EXPECT_FALSE(player.Open(Write(clip.left(clip.size() / 2))));
    EXPECT_FALSE(player.IsOpen());
    EXPECT_TRUE(player.FrameImage().isNull());
    player.Play();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.Open(dir.filePath(QStringLiteral("missing.avi"))));
}

} // namespace
} // namespace qb

#include "base/program_icons_gui.h"
#include "control/control_world.h"
#include "control/frm_attempt_window.h"
#include "control/prompt_list_window.h"
#include "controls/image_string.h"
#include "controls/images/given_images.h"
#include "controls/picture_box.h"
#include "controls/user_control7.h"
#include "fakes/fake_host_names.h"
#include "monitor/monitoring_fixture.h"
#include "support/pointer.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QPointer>

namespace qb {
namespace {

using namespace std::chrono_literals;
using test::ControlWorld;

class FrmAttemptTest : public ::testing::Test, protected ControlWorld {
protected:
    FrmAttemptTest() : icons({home.Path() + "/apps"}), prompts(Services())
    {
        QIcon::setThemeSearchPaths({"/usr/share/icons"});
        QIcon::setThemeName("Adwaita");
        access.OpenPrompt = [this](const std::string& path, int16_t index) { prompts.Open(path, index); };
    }
    ~FrmAttemptTest() override { DeleteClosed(); }

    AttemptServices Services() { return {access, table, source, *rules, iphDNS, icons}; }
    // "/usr/bin/curl", pid 100, in slot 4, frozen and prompted.
    frmAttempt* Curl()
    {
        Connect(4, 100, "93.184.216.34", 80, 40000);
        access.CheckPrograms("/usr/bin/curl", 4);
        return prompts.Latest();
    }
    static void DeleteClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    test::FakeHostNames iphDNS;
    ProgramIcons icons;
    PromptList prompts;
};

TEST_F(FrmAttemptTest, APromptIsAnOnTopWindowOfItsOwnShowingItsDetailsAtOnce)
{
    frmAttempt* prompt = Curl();
    ASSERT_NE(prompt, nullptr);
    EXPECT_TRUE(prompt->isVisible());
    EXPECT_EQ(prompt->parentWidget(), nullptr);
    EXPECT_TRUE(prompt->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(prompt->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(prompt->windowTitle(), "Warning!");
    QStringList texts;
    for (const QLabel* label : prompt->findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("Warning! An unknown program is tryng to connect."));
    EXPECT_TRUE(texts.contains("Please select an action:"));
    EXPECT_EQ(prompt->ActionList()->count(), 4);
    EXPECT_EQ(prompt->ActionList()->currentIndex(), -1);
    EXPECT_EQ(prompt->ActionList()->placeholderText(), "Block program");

    EXPECT_EQ(prompt->DetailLines(),
              QStringList({"Program: curl", "Path: /usr/bin/curl", "Local Port: 40000", "Remote Port: 80",
                           "Remote Host: 93.184.216.34 (93.184.216.34)"}));
    iphDNS.CheckDictionary("10.9.9.9");
    ASSERT_TRUE(iphDNS.Release("10.9.9.9", "other.example"));
    EXPECT_EQ(prompt->DetailLines()[4], "Remote Host: 93.184.216.34 (93.184.216.34)");
    ASSERT_TRUE(iphDNS.Release("93.184.216.34", "example.com"));
    EXPECT_EQ(prompt->DetailLines()[4], "Remote Host: 93.184.216.34 (example.com)");

    const QImage band = ImageStringToImage(QLatin1StringView(images::kPromptBand));
    const QImage shot = test::Shot(prompt);
    for (int x : {0, shot.width() / 2, shot.width() - 1})
        EXPECT_EQ(shot.pixel(x, band.height() - 1), band.pixel(0, band.height() - 1)) << x;
    EXPECT_NE(shot.pixel(shot.width() - 1, band.height() + 2), band.pixel(0, band.height() - 1));
}

TEST_F(FrmAttemptTest, OutsideTextIsPlainWithControlCharactersEscaped)
{
    Connect(4, 100);
    access.CheckPrograms("/tmp/<b>x\nRemote Port: 1", 4);
    iphDNS.Release("93.184.216.34", "<i>evil</i>\r");
    const frmAttempt* prompt = prompts.Latest();
    EXPECT_EQ(prompt->DetailLines()[0], "Program: <b>x\\x0ARemote Port: 1");
    EXPECT_EQ(prompt->DetailLines()[4], "Remote Host: 93.184.216.34 (<i>evil</i>\\x0D)");
    for (const QLabel* label : prompt->findChildren<QLabel*>()) {
        if (label != prompt->Icon()) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        }
    }
}

TEST_F(FrmAttemptTest, TheProgramsOwnIconReplacesTheGenericOneWhenItArrives)
{
    test::WriteRedIconEntry(home.Path(), "/usr/bin/curl");
    frmAttempt* prompt = Curl();
    EXPECT_EQ(prompt->Icon()->size(), QSize(32, 32));
    EXPECT_NE(prompt->Icon()->pixmap().toImage().pixelColor(16, 16), QColor(Qt::red));
    ASSERT_TRUE(test::WaitUntil(
        [prompt] { return prompt->Icon()->pixmap().toImage().pixelColor(16, 16) == QColor(Qt::red); }, 5s));
}

TEST_F(FrmAttemptTest, ClickingOkCarriesOutTheChoiceAndTheWindowGoesAway)
{
    QPointer<frmAttempt> prompt = Curl();
    const ConnectionRecord triggering = table.Connections[4];
    prompt->ActionList()->setCurrentIndex(2);
    QWidget* face = prompt->OkButton()->Picture1();
    test::Hover(face);
    test::Click(face);

    EXPECT_EQ(source.deleted, std::vector<TcpEndpoints>{test::EndpointsOf(triggering)});
    EXPECT_EQ(OnDisk("Status1"), "0");
    EXPECT_FALSE(Frozen(100));
    ASSERT_FALSE(prompt.isNull());
    EXPECT_FALSE(prompt->isVisible());
    DeleteClosed();
    EXPECT_TRUE(prompt.isNull());
    EXPECT_TRUE(prompts.Prompts().empty());
}

TEST_F(FrmAttemptTest, TwoProgramsGetTwoPromptsDecidedInAnyOrderAndTheCloseBoxOnlyReleases)
{
    Connect(4, 100);
    Connect(5, 200, "8.8.8.8", 53, 40001);
    access.CheckPrograms("/usr/bin/curl", 4);
    access.CheckPrograms("/usr/bin/dig", 5);
    access.CheckPrograms("/usr/bin/curl", 4);
    ASSERT_EQ(prompts.Prompts().size(), 2u);
    frmAttempt* curl = prompts.Prompts()[0];
    frmAttempt* dig = prompts.Prompts()[1];
    EXPECT_EQ(prompts.Latest(), dig);

    dig->Ok(); // no choice made: block once
    DeleteClosed();
    EXPECT_EQ(source.deleted.size(), 1u);
    EXPECT_EQ(prompts.Prompts(), std::vector<frmAttempt*>{curl});
    EXPECT_FALSE(Frozen(200));
    EXPECT_TRUE(Frozen(100));

    curl->ActionList()->setCurrentIndex(2); // chosen but not confirmed
    curl->close();
    DeleteClosed();
    EXPECT_TRUE(prompts.Prompts().empty());
    EXPECT_FALSE(Frozen(100));
    EXPECT_EQ(source.deleted.size(), 1u);
    EXPECT_EQ(OnDisk("ProgramCount"), "<absent>");
}

TEST_F(FrmAttemptTest, PromptsStillOpenWhenTheirListGoesAwayReleaseTheirPrograms)
{
    {
        PromptList owner(Services());
        access.OpenPrompt = [&owner](const std::string& path, int16_t index) { owner.Open(path, index); };
        Connect(4, 100);
        access.CheckPrograms("/usr/bin/curl", 4);
        ASSERT_TRUE(Frozen(100));
    }
    EXPECT_FALSE(Frozen(100));
    EXPECT_FALSE(access.IsPending("/usr/bin/curl"));
}

} // namespace
} // namespace qb

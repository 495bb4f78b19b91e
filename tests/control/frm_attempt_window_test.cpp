#include "control/control_world.h"
#include "control/frm_attempt_window.h"
#include "control/prompt_list_window.h"
#include "controls/image_string.h"
#include "controls/images/given_images.h"
#include "controls/picture_box.h"
#include "support/pointer.h"
#include "controls/user_control7.h"
#include "fakes/fake_host_lookup.h"
#include "monitor/program_icons_gui.h"
#include "net/dictionary.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPointer>

namespace qb {
namespace {

using namespace std::chrono_literals;
using test::ControlWorld;

class FrmAttemptTest : public ::testing::Test, protected ControlWorld {
protected:
    FrmAttemptTest()
        : folder(MadeFolder(home.Path() + "/app/")), iphDNS(*settings, lookup, folder),
          icons({home.Path() + "/apps"}), prompts(Services())
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
    static QString MadeFolder(const QString& path)
    {
        QDir().mkpath(path);
        return path;
    }
    static void DeleteClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    static QStringList Texts(const QWidget* window)
    {
        QStringList texts;
        for (const QLabel* label : window->findChildren<QLabel*>())
            texts << label->text();
        return texts;
    }

    QString folder;
    test::FakeHostLookup lookup;
    CDictionary iphDNS;
    ProgramIcons icons;
    PromptList prompts;
};

TEST_F(FrmAttemptTest, APromptIsAnOnTopWindowOfItsOwnWithTheFixedTexts)
{
    frmAttempt* prompt = Curl();
    ASSERT_NE(prompt, nullptr);
    EXPECT_TRUE(prompt->isVisible());
    EXPECT_TRUE(prompt->isWindow());
    EXPECT_EQ(prompt->parentWidget(), nullptr);
    EXPECT_TRUE(prompt->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(prompt->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(prompt->windowTitle(), "Warning!");
    const QStringList texts = Texts(prompt);
    EXPECT_EQ(texts.count("Warning!"), 2);
    EXPECT_TRUE(texts.contains("Warning! An unknown program is tryng to connect."));
    EXPECT_TRUE(texts.contains("Please select an action:"));

    QComboBox* list = prompt->ActionList();
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->itemText(0), "Block program");
    EXPECT_EQ(list->itemText(3), "Allways allow this program");
    EXPECT_EQ(list->currentIndex(), -1);
    EXPECT_EQ(list->placeholderText(), "Block program");
    EXPECT_EQ(prompt->OkButton()->Caption(), "Ok");
}

TEST_F(FrmAttemptTest, TheDetailsShowAtOnceAndTheHostNameFollowsItsLookUp)
{
    frmAttempt* prompt = Curl();
    EXPECT_EQ(prompt->DetailLines(),
              QStringList({"Program: curl", "Path: /usr/bin/curl", "Local Port: 40000", "Remote Port: 80",
                           "Remote Host: 93.184.216.34 (93.184.216.34)"}));
    ASSERT_TRUE(lookup.started.contains("93.184.216.34"));
    iphDNS.CheckDictionary("10.9.9.9");
    ASSERT_TRUE(lookup.Release("10.9.9.9", "other.example"));
    EXPECT_EQ(prompt->DetailLines()[4], "Remote Host: 93.184.216.34 (93.184.216.34)");
    lookup.Release("93.184.216.34", "example.com");
    EXPECT_EQ(prompt->DetailLines()[4], "Remote Host: 93.184.216.34 (example.com)");
}

TEST_F(FrmAttemptTest, OutsideTextIsPlainWithControlCharactersEscaped)
{
    Connect(4, 100);
    access.CheckPrograms("/tmp/<b>x\nRemote Port: 1", 4);
    lookup.Release("93.184.216.34", "<i>evil</i>\r");
    const frmAttempt* prompt = prompts.Latest();
    EXPECT_EQ(prompt->DetailLines()[0], "Program: <b>x\\x0ARemote Port: 1");
    EXPECT_EQ(prompt->DetailLines()[4], "Remote Host: 93.184.216.34 (<i>evil</i>\\x0D)");
    for (const QLabel* label : prompt->findChildren<QLabel*>()) {
        if (label != prompt->Icon()) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
        }
    }
}

TEST_F(FrmAttemptTest, TheBandIsDrawnAcrossTheWholeWidth)
{
    frmAttempt* prompt = Curl();
    const QImage band = ImageStringToImage(QLatin1StringView(images::kPromptBand));
    ASSERT_EQ(band.width(), 1);
    const QImage shot = test::Shot(prompt);
    for (int y : {0, 1, band.height() / 2, band.height() - 1}) {
        const QRgb expected = band.pixel(0, y);
        EXPECT_EQ(shot.pixel(0, y), expected) << y;
        EXPECT_EQ(shot.pixel(shot.width() / 2, y), expected) << y;
        EXPECT_EQ(shot.pixel(shot.width() - 1, y), expected) << y;
    }
    EXPECT_NE(shot.pixel(shot.width() - 1, band.height() + 2), band.pixel(0, band.height() - 1));
}

TEST_F(FrmAttemptTest, TheProgramsOwnIconReplacesTheGenericOneWhenItArrives)
{
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(home.Path() + "/red.png"));
    QDir().mkpath(home.Path() + "/apps");
    QFile entry(home.Path() + "/apps/curl.desktop");
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write(("[Desktop Entry]\nType=Application\nIcon=" + home.Path() + "/red.png\nExec=/usr/bin/curl\n")
                    .toUtf8());
    entry.close();

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
    EXPECT_EQ(OnDisk("Path1"), "/USR/BIN/CURL");
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_FALSE(Frozen(100));
    EXPECT_EQ(access.CurrentProcessing(), "");
    ASSERT_FALSE(prompt.isNull());
    EXPECT_FALSE(prompt->isVisible());
    DeleteClosed();
    EXPECT_TRUE(prompt.isNull());
    EXPECT_TRUE(prompts.Prompts().empty());
}

TEST_F(FrmAttemptTest, OkWithoutAChoiceBlocksOnce)
{
    frmAttempt* prompt = Curl();
    prompt->Ok();
    EXPECT_EQ(source.deleted.size(), 1u);
    EXPECT_EQ(OnDisk("ProgramCount"), "<absent>");
    EXPECT_FALSE(Frozen(100));
}

TEST_F(FrmAttemptTest, TheCloseBoxReleasesAndChangesNothingElse)
{
    QPointer<frmAttempt> prompt = Curl();
    prompt->ActionList()->setCurrentIndex(2); // chosen but not confirmed
    prompt->close();
    EXPECT_TRUE(source.deleted.empty());
    EXPECT_EQ(OnDisk("ProgramCount"), "<absent>");
    EXPECT_FALSE(Frozen(100));
    EXPECT_FALSE(access.IsPending("/usr/bin/curl"));
    DeleteClosed();
    EXPECT_TRUE(prompt.isNull());
}

TEST_F(FrmAttemptTest, TwoProgramsGetTwoPromptsDecidedInAnyOrder)
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
    EXPECT_TRUE(curl->isVisible());
    EXPECT_TRUE(dig->isVisible());

    dig->Ok();
    DeleteClosed();
    EXPECT_EQ(prompts.Prompts(), std::vector<frmAttempt*>{curl});
    EXPECT_FALSE(Frozen(200));
    EXPECT_TRUE(Frozen(100));
    curl->close();
    DeleteClosed();
    EXPECT_TRUE(prompts.Prompts().empty());
    EXPECT_FALSE(Frozen(100));
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

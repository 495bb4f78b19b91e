#include "monitor/details_pane.h"
#include "monitoring_fixture.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::kCurl;
using test::MakeRow;
using test::PixmapCentre;
using test::WaitUntil;

class DetailsPaneTest : public test::MonitoringFixture {
protected:
    DetailsPane pane{files, rules, *icons, Dictionary()};

    QStringList Lines() const
    {
        QStringList lines;
        for (int i = 0; i < DetailsPane::kLabelCount; ++i)
            lines << pane.Label7(i)->text();
        return lines;
    }
    // A row click, then the worker's file facts.
    void Click(const MonitorRow& row)
    {
        pane.ShowConnection(row);
        ASSERT_TRUE(WaitUntil([&] { return !pane.Picture2()->isVisibleTo(&pane); }, std::chrono::seconds(5)));
    }
};

TEST_F(DetailsPaneTest, BeforeTheFirstClickEveryLineHoldsItsCaptionAndTheAttemptsLineIsHidden)
{
    EXPECT_EQ(Lines(), (QStringList{"Name: ", "Path: ", "Size: ", "PID: ", "Remote Host: ", "Local Port: ",
                                    "Remote Port: ", "Attempts: ", "Version: "}));
    EXPECT_FALSE(pane.Label7(7)->isVisibleTo(&pane));
    EXPECT_FALSE(pane.Picture3()->isVisibleTo(&pane));
    EXPECT_FALSE(pane.Picture2()->isVisibleTo(&pane));
    EXPECT_EQ(dictionaryUses, 0); // the cache is made on first use only
}

TEST_F(DetailsPaneTest, AClickFillsEveryLineAndTheHostNameFillsInWhenItArrives)
{
    AddRule(kCurl, 3);
    pane.ShowConnection(MakeRow(4, kCurl, 42, 5000, "10.0.0.5", 80));
    EXPECT_EQ(pane.Picture2()->text(), "Please Wait...");
    EXPECT_TRUE(pane.Picture2()->isVisibleTo(&pane)); // until the file's facts are in
    ASSERT_TRUE(WaitUntil([&] { return !pane.Picture2()->isVisibleTo(&pane); }, std::chrono::seconds(5)));
    EXPECT_EQ(Lines(), (QStringList{"Name: curl", "Path: /usr/bin/curl", "Size: 2 KB", "PID: 42",
                                    "Remote Host: 10.0.0.5 (10.0.0.5)", "Local Port: 5000", "Remote Port: 80",
                                    "Attempts: 3", "Version: 7.88.01.02"}));
    EXPECT_TRUE(pane.Label7(7)->isVisibleTo(&pane));
    EXPECT_TRUE(pane.Picture3()->isVisibleTo(&pane));
    EXPECT_EQ(pane.SelectedConnection().slot, 4);

    ASSERT_TRUE(lookup.Release("10.0.0.5", "server.example"));
    EXPECT_EQ(pane.Label7(4)->text(), "Remote Host: server.example (10.0.0.5)");
}

TEST_F(DetailsPaneTest, ANameThatArrivesAfterAnotherRowWasClickedLeavesThatRowsLineAlone)
{
    Click(MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 80));
    Click(MakeRow(1, kCurl, 42, 5001, "10.0.0.6", 443));
    ASSERT_TRUE(lookup.Release("10.0.0.5", "first.example"));
    EXPECT_EQ(pane.Label7(4)->text(), "Remote Host: 10.0.0.6 (10.0.0.6)");
    ASSERT_TRUE(lookup.Release("10.0.0.6", "second.example"));
    EXPECT_EQ(pane.Label7(4)->text(), "Remote Host: second.example (10.0.0.6)");
    Click(MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 80)); // cached now: at once
    EXPECT_EQ(pane.Label7(4)->text(), "Remote Host: first.example (10.0.0.5)");
}

TEST_F(DetailsPaneTest, AProgramWithoutARuleHidesTheAttemptsLineAndAFileWithoutVersionShowsNone)
{
    AddRule(kCurl, 1);
    Click(MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 80));
    ASSERT_TRUE(pane.Picture3()->isVisibleTo(&pane));
    Click(MakeRow(1, "/usr/bin/noversion", 43, 5001, "10.0.0.5", 443));
    EXPECT_FALSE(pane.Label7(7)->isVisibleTo(&pane));
    EXPECT_FALSE(pane.Picture3()->isVisibleTo(&pane));
    EXPECT_EQ(pane.Label7(8)->text(), "Version: ");
    EXPECT_EQ(pane.Label7(2)->text(), "Size: 100 Bytes");
}

TEST_F(DetailsPaneTest, AnUnknownRowOrAVanishedFileClearsTheIconVersionAndSizeOfThePreviousProgram)
{
    ASSERT_TRUE(WaitForIcon(kCurl));
    const struct {
        const char* what;
        MonitorRow row;
        const char* name;
    } cases[] = {
        {"Unknown row", MakeRow(1, "", 0, 5001, "10.0.0.7", 22), "Name: "},
        {"file gone", MakeRow(1, "/usr/bin/removed", 44, 5001, "10.0.0.7", 22), "Name: removed"},
    };
    for (const auto& c : cases) {
        Click(MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 80));
        ASSERT_EQ(PixmapCentre(pane.Pic32()), QColor(Qt::red)) << c.what;
        ASSERT_EQ(pane.Label7(8)->text(), "Version: 7.88.01.02") << c.what;
        Click(c.row);
        EXPECT_FALSE(PixmapCentre(pane.Pic32()).isValid()) << c.what;
        EXPECT_EQ(pane.Label7(8)->text(), "Version: ") << c.what;
        EXPECT_EQ(pane.Label7(2)->text(), "Size: ") << c.what;
        EXPECT_EQ(pane.Label7(0)->text(), c.name) << c.what;
        EXPECT_FALSE(pane.Label7(7)->isVisibleTo(&pane)) << c.what;
    }
    EXPECT_EQ(pane.Label7(1)->text(), "Path: /usr/bin/removed");
}

TEST_F(DetailsPaneTest, TheLargeIconFollowsTheProgramOnceItsIconIsFound)
{
    pane.ShowLargeIcon(kCurl);
    EXPECT_NE(PixmapCentre(pane.Pic32()), QColor(Qt::red)); // the generic icon meanwhile
    ASSERT_TRUE(
        WaitUntil([&] { return PixmapCentre(pane.Pic32()) == QColor(Qt::red); }, std::chrono::seconds(5)));
    EXPECT_EQ(pane.Pic32()->pixmap().size(), QSize(32, 32));
}

TEST_F(DetailsPaneTest, OnlyTheLatestFileRequestIsShown)
{
    int shown = 0;
    QObject::connect(&pane, &DetailsPane::FileInfoShown, [&] { ++shown; });
    pane.ShowFileInfo("/usr/bin/noversion");
    pane.ShowFileInfo(kCurl);
    ASSERT_TRUE(WaitUntil([&] { return shown >= 1; }, std::chrono::seconds(5)));
    test::RunEvents(std::chrono::milliseconds(50));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(pane.Label7(2)->text(), "Size: 2 KB");
}

TEST_F(DetailsPaneTest, OutsideTextIsShownPlainWithControlCharactersEscaped)
{
    const QString path = "/tmp/<i>x\nEvil";
    Click(MakeRow(0, path, 42, 5000, "10.0.0.5", 80));
    EXPECT_EQ(pane.Label7(1)->textFormat(), Qt::PlainText);
    EXPECT_EQ(pane.Label7(1)->text(), "Path: /tmp/<i>x\\x0AEvil");
    EXPECT_EQ(pane.Label7(0)->text(), "Name: <i>x\\x0AEvil");
    ASSERT_TRUE(lookup.Release("10.0.0.5", "a\x1b[2Jb"));
    EXPECT_EQ(pane.Label7(4)->text(), "Remote Host: a\\x1B[2Jb (10.0.0.5)");
}

} // namespace
} // namespace qb

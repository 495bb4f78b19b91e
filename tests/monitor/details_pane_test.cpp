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
    DetailsPane pane{files, AttemptsOf(), *icons, Dictionary()};

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

TEST_F(DetailsPaneTest, AClickFillsEveryCaptionedLineAndTheHostNameAndIconFillInWhenTheyArrive)
{
    EXPECT_EQ(Lines(), (QStringList{"Name: ", "Path: ", "Size: ", "PID: ", "Remote Host: ", "Local Port: ",
                                    "Remote Port: ", "Attempts: ", "Version: "}));
    EXPECT_FALSE(pane.Label7(7)->isVisibleTo(&pane));
    EXPECT_EQ(dictionaryUses, 0); // the cache is made on first use only
    attempts[kCurl] = 3;
    pane.ShowConnection(MakeRow(4, kCurl, 42, 5000, "10.0.0.5", 80));
    EXPECT_NE(PixmapCentre(pane.Pic32()->pixmap()), QColor(Qt::red)); // the generic icon meanwhile
    EXPECT_EQ(pane.Picture2()->text(), "Please Wait...");
    EXPECT_TRUE(pane.Picture2()->isVisibleTo(&pane)); // until the file's facts are in
    ASSERT_TRUE(WaitUntil([&] { return !pane.Picture2()->isVisibleTo(&pane); }, std::chrono::seconds(5)));
    EXPECT_EQ(Lines(), (QStringList{"Name: curl", "Path: /usr/bin/curl", "Size: 2 KB", "PID: 42",
                                    "Remote Host: 10.0.0.5 (10.0.0.5)", "Local Port: 5000", "Remote Port: 80",
                                    "Attempts: 3", "Version: 7.88.01.02"}));
    EXPECT_TRUE(pane.Label7(7)->isVisibleTo(&pane));
    EXPECT_TRUE(pane.Picture3()->isVisibleTo(&pane));

    ASSERT_TRUE(dictionary->Release("10.0.0.5", "server.example"));
    EXPECT_EQ(pane.Label7(4)->text(), "Remote Host: server.example (10.0.0.5)");
    ASSERT_TRUE(WaitUntil([&] { return PixmapCentre(pane.Pic32()->pixmap()) == QColor(Qt::red); },
                          std::chrono::seconds(5)));
    EXPECT_EQ(pane.Pic32()->pixmap().size(), QSize(32, 32));
}

TEST_F(DetailsPaneTest, ANameThatArrivesAfterAnotherRowWasClickedLeavesThatRowsLineAlone)
{
    Click(MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 80));
    Click(MakeRow(1, kCurl, 42, 5001, "10.0.0.6", 443));
    ASSERT_TRUE(dictionary->Release("10.0.0.5", "first.example"));
    EXPECT_EQ(pane.Label7(4)->text(), "Remote Host: 10.0.0.6 (10.0.0.6)");
    ASSERT_TRUE(dictionary->Release("10.0.0.6", "second.example"));
    EXPECT_EQ(pane.Label7(4)->text(), "Remote Host: second.example (10.0.0.6)");
    Click(MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 80)); // cached now: at once
    EXPECT_EQ(pane.Label7(4)->text(), "Remote Host: first.example (10.0.0.5)");
}

// A program without a rule hides the attempts line; an Unknown row or a vanished file also clears the
// icon, version and size of the program shown before.
TEST_F(DetailsPaneTest, TheNextRowReplacesEveryFactOfThePreviousProgram)
{
    attempts[kCurl] = 1;
    ASSERT_TRUE(WaitForIcon(kCurl));
    const struct {
        MonitorRow row;
        const char* name;
        const char* size;
        bool iconCleared; // else the generic icon, empty without an icon theme
    } cases[] = {
        {MakeRow(1, "/usr/bin/noversion", 43, 5001, "10.0.0.5", 443), "Name: noversion", "Size: 100 Bytes",
         false},
        {MakeRow(1, "", 0, 5001, "10.0.0.7", 22), "Name: ", "Size: ", true},
        {MakeRow(1, "/usr/bin/removed", 44, 5001, "10.0.0.7", 22), "Name: removed", "Size: ", true},
    };
    for (const auto& c : cases) {
        Click(MakeRow(0, kCurl, 42, 5000, "10.0.0.5", 80));
        ASSERT_EQ(PixmapCentre(pane.Pic32()->pixmap()), QColor(Qt::red)) << c.name;
        ASSERT_TRUE(pane.Picture3()->isVisibleTo(&pane));
        Click(c.row);
        if (c.iconCleared) {
            EXPECT_FALSE(PixmapCentre(pane.Pic32()->pixmap()).isValid()) << c.name;
        }
        EXPECT_EQ(pane.Label7(8)->text(), "Version: ") << c.name;
        EXPECT_EQ(pane.Label7(2)->text(), c.size) << c.name;
        EXPECT_EQ(pane.Label7(0)->text(), c.name);
        EXPECT_FALSE(pane.Label7(7)->isVisibleTo(&pane)) << c.name;
        EXPECT_FALSE(pane.Picture3()->isVisibleTo(&pane)) << c.name;
    }
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
    ASSERT_TRUE(dictionary->Release("10.0.0.5", "a\x1b[2Jb"));
    EXPECT_EQ(pane.Label7(4)->text(), "Remote Host: a\\x1B[2Jb (10.0.0.5)");
}

} // namespace
} // namespace qb

#include "control/applications_page.h"
#include "control/control_world.h"
#include "control/rule_questions_dialog.h"
#include "controls/page_geometry.h"
#include "controls/picture_box.h"
#include "controls/user_control2.h"
#include "controls/user_control7.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <utility>

namespace qb {
namespace {

using test::ControlWorld;

class ApplicationsPageTest : public ::testing::Test, protected ControlWorld {
protected:
    ApplicationsPageTest() : page(*rules)
    {
        for (const char* path : {"/usr/bin/a", "/usr/bin/b", "/usr/bin/c"})
            EXPECT_TRUE(rules->AddProgram(path, 1));
        rules->UpdatePrograms();
        QObject::connect(&page, &ApplicationsPage::ShowRequested, [this] { ++showRequests; });
        page.show();
    }

    QStringList Row(int row) const { return RowOf(*page.ListView2()->model(), row); }
    int Rows() const { return page.ListView2()->model()->rowCount(); }
    static void Press(UserControl7* button)
    {
        test::Hover(button->Picture1());
        test::Click(button->Picture1());
    }

    ApplicationsPage page;
    int showRequests = 0;
};

TEST_F(ApplicationsPageTest, ThePageIsABannerWithTheRuleListAndThreeButtons)
{
    EXPECT_EQ(page.Banner()->geometry(), QRect(QPoint(0, 0), kPageSize));
    const QAbstractItemModel* shown = page.ListView2()->model();
    ASSERT_EQ(shown->columnCount(), 3);
    EXPECT_EQ(shown->headerData(0, Qt::Horizontal).toString(), "Application Name");
    EXPECT_EQ(shown->headerData(1, Qt::Horizontal).toString(), "Path");
    EXPECT_GE(page.ListView2()->y(), kPageContentTop);
    ASSERT_EQ(Rows(), 4);
    EXPECT_EQ(Row(3), QStringList({"C", "/USR/BIN/C", "Allow"}));
    QStringList captions;
    for (const UserControl7* button : {page.AllowButton(), page.BlockButton(), page.DeleteButton()}) {
        captions << button->Caption();
        EXPECT_TRUE(QRect(QPoint(0, 0), kPageSize).contains(button->geometry()));
    }
    EXPECT_EQ(captions, QStringList({"Allow", "Block", "Delete"}));
    QStringList labels;
    for (const QLabel* label : page.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains("Programs List"));
    // Every column is seen whole without scrolling sideways.
    QCoreApplication::processEvents();
    EXPECT_EQ(page.ListView2()->horizontalScrollBar()->maximum(), 0);
}

TEST_F(ApplicationsPageTest, BlockAndAllowSetTheSelectedRulesDecisionAndReloadTheList)
{
    page.SelectRow(2);
    Press(page.BlockButton());
    EXPECT_EQ(OnDisk("Status2"), "0");
    EXPECT_EQ(Row(2), QStringList({"B", "/USR/BIN/B", "Block"}));
    EXPECT_EQ(Row(1)[2], "Allow");
    EXPECT_EQ(page.SelectedRow(), 2);

    Press(page.AllowButton());
    EXPECT_EQ(OnDisk("Status2"), "1");
    EXPECT_EQ(Row(2)[2], "Allow");
    EXPECT_EQ(showRequests, 0);
}

TEST_F(ApplicationsPageTest, DeleteRemovesTheSelectedRuleReloadsAndAsksToBeShownAgain)
{
    page.SelectRow(1);
    Press(page.DeleteButton());
    EXPECT_EQ(OnDisk("ProgramCount"), "2");
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Row(1), QStringList({"B", "/USR/BIN/B", "Allow"}));
    EXPECT_EQ(showRequests, 1);
}

TEST_F(ApplicationsPageTest, WithoutASelectedRowTheButtonsDoNothing)
{
    page.SelectRow(-1);
    ASSERT_EQ(page.SelectedRow(), -1);
    int resets = 0;
    QObject::connect(page.ListView2()->model(), &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    for (UserControl7* button : {page.AllowButton(), page.BlockButton(), page.DeleteButton()})
        Press(button);
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(OnDisk("ProgramCount"), "3");
    EXPECT_EQ(showRequests, 0);
}

TEST_F(ApplicationsPageTest, StoredNamesAndPathsAreShownWithControlCharactersEscaped)
{
    settings->Save(kFirewallApplication, "Programs", "Name2", "B\nC");
    settings->Save(kFirewallApplication, "Programs", "Path2", "/x\x1b[31m");
    rules->UpdatePrograms();
    EXPECT_EQ(Row(2), QStringList({"B\\x0AC", "/x\\x1B[31m", "Allow"}));
}

TEST(RuleQuestionsTest, TheBoxesShowTheirTextAsPlainTextAboveOtherWindows)
{
    const auto question = RuleQuestionBox("Are you sure you want allways allow <b>a</b>\n ?");
    EXPECT_EQ(question->textFormat(), Qt::PlainText);
    EXPECT_EQ(question->text(), "Are you sure you want allways allow <b>a</b>\\x0A ?");
    EXPECT_EQ(question->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(question->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(question->windowTitle(), "Firewall");

    const auto notice = RuleNoticeBox("<b>x</b>");
    EXPECT_EQ(notice->textFormat(), Qt::PlainText);
    EXPECT_EQ(notice->standardButtons(), QMessageBox::Ok);
}

TEST(RuleQuestionsTest, TheDialogsAnswerWithTheButtonTheUserPressed)
{
    const RuleStoreDialogs dialogs = MessageBoxRuleDialogs();
    for (const auto& [button, expected] :
         {std::pair{QMessageBox::Yes, true}, std::pair{QMessageBox::No, false}}) {
        QString asked;
        QTimer::singleShot(0, [&asked, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            asked = box->text();
            box->button(button)->click();
        });
        EXPECT_EQ(dialogs.askYesNo("Are you sure you want allways allow a ?"), expected);
        EXPECT_EQ(asked, "Are you sure you want allways allow a ?");
    }
}

} // namespace
} // namespace qb

#include "control/applications_page.h"
#include "control/control_world.h"
#include "control/rule_questions_dialog.h"
#include "controls/picture_box.h"
#include "controls/user_control7.h"
#include "support/pointer.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <utility>

namespace qb {
namespace {

class ApplicationsPageTest : public ::testing::Test, protected test::ControlWorld {
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
    static void Press(UserControl7* button)
    {
        test::Hover(button->Picture1());
        test::Click(button->Picture1());
    }

    ApplicationsPage page;
    int showRequests = 0;
};

TEST_F(ApplicationsPageTest, RulesShowWholeAndEscapedAndTheButtonsActOnTheSelectedOneOrWithoutOneDoNothing)
{
    Store("Name1", "A\nB");
    Store("Path1", "/x\x1b[31m");
    rules->UpdatePrograms();
    EXPECT_EQ(Row(0), QStringList({"A\\x0AB", "/x\\x1B[31m", "Allow"}));
    QCoreApplication::processEvents();
    EXPECT_EQ(page.ListView2()->horizontalScrollBar()->maximum(), 0); // no scrolling sideways
    page.SelectRow(-1);
    int resets = 0;
    QObject::connect(page.ListView2()->model(), &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    for (UserControl7* button : {page.AllowButton(), page.BlockButton(), page.DeleteButton()})
        Press(button);
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(OnDisk("ProgramCount"), "3");

    page.SelectRow(1); // rule 2: the rows are the stored rules from number 1 on
    Press(page.BlockButton());
    EXPECT_EQ(OnDisk("Status2"), "0");
    EXPECT_EQ(Row(1), QStringList({"b", "/usr/bin/b", "Block"}));
    EXPECT_EQ(Row(0)[2], "Allow");
    EXPECT_EQ(page.SelectedRow(), 1);
    Press(page.AllowButton());
    EXPECT_EQ(Row(1)[2], "Allow");
    EXPECT_EQ(showRequests, 0);
    Press(page.DeleteButton());
    EXPECT_EQ(OnDisk("ProgramCount"), "2");
    EXPECT_EQ(Row(1), QStringList({"c", "/usr/bin/c", "Allow"}));
    EXPECT_EQ(showRequests, 1);
}

TEST(RuleQuestionsTest, TheBoxesShowPlainTextAboveOtherWindowsAndAnswerWithTheButtonTheUserPressed)
{
    const auto question = RuleQuestionBox("Are you sure you want allways allow <b>a</b>\n ?");
    EXPECT_EQ(question->text(), "Are you sure you want allways allow <b>a</b>\\x0A ?");
    EXPECT_TRUE(question->textFormat() == Qt::PlainText &&
                RuleNoticeBox("<b>x</b>")->textFormat() == Qt::PlainText);
    EXPECT_TRUE(question->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const RuleStoreDialogs dialogs = MessageBoxRuleDialogs();
    for (const auto& [button, expected] :
         {std::pair{QMessageBox::Yes, true}, std::pair{QMessageBox::No, false}}) {
        QString asked;
        QTimer::singleShot(0, [&asked, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box && box->button(button));
            asked = box->text();
            box->button(button)->click();
        });
        EXPECT_EQ(dialogs.askYesNo("Are you sure you want allways allow a ?"), expected);
        EXPECT_EQ(asked, "Are you sure you want allways allow a ?");
    }
}

} // namespace
} // namespace qb

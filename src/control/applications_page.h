#pragma once
// The main window's "Applications" page: the program rules and the buttons that change them.
#include <QWidget>

#include <cstdint>

class QLabel;
class QTreeView;

namespace qb {

class ApplicationsModel;
class RuleStore;
class UserControl2;
class UserControl7;

// A page of exactly kPageSize whose banner (`UserControl21`) fills it and holds the title "Programs List",
// the rule list `ListView2` ("Application Name", "Path", "Action"; texts from outside shown escaped) and
// the buttons "Allow", "Block" and "Delete". Allow and Block set the selected rule's decision and reload
// the rules, keeping that row selected; Delete removes the selected rule, reloads and asks to be shown
// again. Without a selected row the buttons do nothing. UI thread only; `rules` must outlive the page.
class ApplicationsPage : public QWidget {
    Q_OBJECT
public:
    explicit ApplicationsPage(RuleStore& rules, QWidget* parent = nullptr);

    UserControl2* Banner() const { return m_userControl21; }
    QTreeView* ListView2() const { return m_listView2; }
    UserControl7* AllowButton() const { return m_allow; }
    UserControl7* BlockButton() const { return m_block; }
    UserControl7* DeleteButton() const { return m_delete; }

    // Position of the selected row (0 for the first), -1 when none is selected.
    int SelectedRow() const;
    void SelectRow(int row);

    void Allow();
    void Block();
    void Delete();

signals:
    // "Delete" reloaded the list; the main window shows the page again.
    void ShowRequested();

private:
    // The rule number of the selected row, -1 when none is selected.
    int SelectedRule() const;
    void SetSelectedStatus(int16_t status);
    UserControl7* AddButton(const QString& caption, int left);

    RuleStore& m_rules;
    UserControl2* m_userControl21;
    QLabel* m_title;
    ApplicationsModel* m_model;
    QTreeView* m_listView2;
    UserControl7* m_allow = nullptr;
    UserControl7* m_block = nullptr;
    UserControl7* m_delete = nullptr;
};

} // namespace qb

#include "control/applications_page.h"

#include "control/applications_model.h"
#include "control/rule_store.h"
#include "controls/page_geometry.h"
#include "controls/page_title.h"
#include "controls/plain_text.h"
#include "controls/user_control2.h"
#include "controls/user_control7.h"

#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QTreeView>

namespace qb {
namespace {

constexpr int kButtonWidth = 90;
constexpr int kButtonGap = 8;
constexpr int kButtonHeight = 24;

// Rule names and paths come from the store, which anyone can edit: shown with control characters escaped.
class EscapedTextModel : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        const QVariant value = QIdentityProxyModel::data(index, role);
        if (role == Qt::DisplayRole && value.typeId() == QMetaType::QString)
            return EscapeControlCharacters(value.toString());
        return value;
    }
};

} // namespace

ApplicationsPage::ApplicationsPage(RuleStore& rules, QWidget* parent)
    : QWidget(parent), m_rules(rules), m_userControl21(new UserControl2(this)),
      m_title(AddPageTitle(m_userControl21, QStringLiteral("Programs List"))),
      m_model(new ApplicationsModel(rules, this)), m_listView2(new QTreeView(m_userControl21))
{
    setFixedSize(kPageSize);
    m_userControl21->setGeometry(QRect(QPoint(0, 0), kPageSize));

    auto* escaped = new EscapedTextModel(this);
    escaped->setSourceModel(m_model);
    m_listView2->setModel(escaped);
    m_listView2->setRootIsDecorated(false);
    m_listView2->setItemsExpandable(false);
    m_listView2->setUniformRowHeights(true);
    m_listView2->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listView2->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listView2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The three columns fit the list's width, so that "Action" is never cut off behind a scroll bar.
    m_listView2->header()->resizeSection(0, 150);
    m_listView2->header()->resizeSection(1, 300);
    const int listBottom = kPageSize.height() - kPageMargin - kButtonHeight - kButtonGap;
    m_listView2->setGeometry(kPageMargin, kPageContentTop, kPageSize.width() - 2 * kPageMargin,
                             listBottom - kPageContentTop);

    m_allow = AddButton(QStringLiteral("Allow"), kPageMargin);
    m_block = AddButton(QStringLiteral("Block"), kPageMargin + kButtonWidth + kButtonGap);
    m_delete = AddButton(QStringLiteral("Delete"), kPageSize.width() - kPageMargin - kButtonWidth);
    connect(m_allow, &UserControl7::Click, this, &ApplicationsPage::Allow);
    connect(m_block, &UserControl7::Click, this, &ApplicationsPage::Block);
    connect(m_delete, &UserControl7::Click, this, &ApplicationsPage::Delete);
}

UserControl7* ApplicationsPage::AddButton(const QString& caption, int left)
{
    auto* button = new UserControl7(m_userControl21);
    button->SetCaption(caption);
    button->setGeometry(left, kPageSize.height() - kPageMargin - kButtonHeight, kButtonWidth, kButtonHeight);
    button->SubClassMe();
    return button;
}

int ApplicationsPage::SelectedRow() const
{
    const QModelIndexList rows = m_listView2->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void ApplicationsPage::SelectRow(int row)
{
    const QModelIndex index = m_listView2->model()->index(row, 0);
    if (!index.isValid()) {
        m_listView2->clearSelection();
        return;
    }
    m_listView2->setCurrentIndex(index);
    m_listView2->selectionModel()->select(index,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ApplicationsPage::Allow()
{
    SetSelectedStatus(1);
}

void ApplicationsPage::Block()
{
    SetSelectedStatus(0);
}

int ApplicationsPage::SelectedRule() const
{
    const int row = SelectedRow();
    return row < 0 ? -1 : m_model->index(row, 0).data(Qt::UserRole).toInt();
}

void ApplicationsPage::SetSelectedStatus(int16_t status)
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    (void)m_rules.SetProgramStatus(static_cast<int16_t>(SelectedRule()), status);
    m_rules.UpdatePrograms();
    SelectRow(row);
}

void ApplicationsPage::Delete()
{
    if (SelectedRow() < 0)
        return;
    (void)m_rules.DeleteProgram(static_cast<int16_t>(SelectedRule()));
    m_rules.UpdatePrograms();
    emit ShowRequested();
}

} // namespace qb

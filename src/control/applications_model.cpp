#include "control/applications_model.h"

#include "control/rule_store.h"

namespace qb {

ApplicationsModel::ApplicationsModel(const RuleStore& rules, QObject* parent)
    : QAbstractTableModel(parent), m_rules(rules)
{
    connect(&rules, &RuleStore::ProgramsAboutToReload, this, &ApplicationsModel::beginResetModel);
    connect(&rules, &RuleStore::ProgramsReloaded, this, &ApplicationsModel::endResetModel);
}

int ApplicationsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rules.ListedRules().size());
}

int ApplicationsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant ApplicationsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int16_t number = m_rules.ListedRules()[static_cast<std::size_t>(index.row())];
    const ProgramRule& rule = m_rules.Rule(number);
    if (role == Qt::UserRole)
        return number;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return rule.Name;
    case 1:
        return rule.Path;
    case 2:
        return rule.Blocked ? QStringLiteral("Block") : QStringLiteral("Allow");
    default:
        return {};
    }
}

QVariant ApplicationsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList titles = {"Application Name", "Path", "Action"};
    return section >= 0 && section < titles.size() ? QVariant(titles[section]) : QVariant();
}

} // namespace qb

#pragma once
// The Applications list as a table model over the loaded rules: one row per listed rule in number order,
// columns "Application Name", "Path", "Action" ("Block" / "Allow"); Qt::UserRole gives the row's rule
// number. Resets itself whenever the rule store reloads. UI thread only.
#include <QAbstractTableModel>

namespace qb {

class RuleStore;

class ApplicationsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ApplicationsModel(const RuleStore& rules, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const RuleStore& m_rules;
};

} // namespace qb

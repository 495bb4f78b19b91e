#pragma once
// The message boxes through which the rule store asks and tells the user.
#include "control/rule_store.h"

#include <QMessageBox>

#include <memory>

namespace qb {

// The question before a rule is added, with Yes and No (Yes is the default, the user has just chosen the
// rule). The text holds a file name, so it is shown as plain text with control characters escaped. Kept above
// other windows: it is asked from prompts that stay on top themselves.
std::unique_ptr<QMessageBox> RuleQuestionBox(const QString& question, QWidget* parent = nullptr);
// A notice with an Ok button, shown the same way.
std::unique_ptr<QMessageBox> RuleNoticeBox(const QString& message, QWidget* parent = nullptr);

// Dialogs for a RuleStore that show the boxes above modally; Yes answers the question with true.
// `parent` may be null and must outlive the dialogs otherwise. UI thread only.
RuleStoreDialogs MessageBoxRuleDialogs(QWidget* parent = nullptr);

} // namespace qb

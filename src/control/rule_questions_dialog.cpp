#include "control/rule_questions_dialog.h"

#include "base/settings_store.h"
#include "controls/plain_text.h"

namespace qb {
namespace {

std::unique_ptr<QMessageBox> PlainBox(QMessageBox::Icon icon, const QString& text,
                                      QMessageBox::StandardButtons buttons, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(icon, QString(kApplicationTitle), QString(), buttons, parent);
    box->setTextFormat(Qt::PlainText);
    box->setText(EscapeControlCharacters(text));
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    return box;
}

} // namespace

std::unique_ptr<QMessageBox> RuleQuestionBox(const QString& question, QWidget* parent)
{
    auto box = PlainBox(QMessageBox::Question, question, QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(QMessageBox::Yes);
    return box;
}

std::unique_ptr<QMessageBox> RuleNoticeBox(const QString& message, QWidget* parent)
{
    return PlainBox(QMessageBox::Information, message, QMessageBox::Ok, parent);
}

RuleStoreDialogs MessageBoxRuleDialogs(QWidget* parent)
{
    return {[parent](const QString& question) {
                return RuleQuestionBox(question, parent)->exec() == QMessageBox::Yes;
            },
            [parent](const QString& message) { RuleNoticeBox(message, parent)->exec(); }};
}

} // namespace qb

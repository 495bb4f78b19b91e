#include "control/prompt_list_window.h"

#include <algorithm>

namespace qb {

PromptList::PromptList(AttemptServices services, QObject* parent) : QObject(parent), m_services(services) {}

PromptList::~PromptList()
{
    const std::vector<frmAttempt*> open = std::move(m_prompts);
    m_prompts.clear();
    for (frmAttempt* prompt : open) {
        disconnect(prompt, nullptr, this, nullptr);
        delete prompt;
    }
}

frmAttempt* PromptList::Open(const std::string& programPath, int16_t intConnection)
{
    auto* prompt = new frmAttempt(m_services);
    m_prompts.push_back(prompt);
    connect(prompt, &QObject::destroyed, this, [this, prompt] {
        m_prompts.erase(std::remove(m_prompts.begin(), m_prompts.end(), prompt), m_prompts.end());
    });
    prompt->ShowInfo(programPath, intConnection);
    emit PromptOpened(prompt);
    return prompt;
}

} // namespace qb

#include "shell/loading_sequence.h"

#include <cmath>
#include <utility>

namespace qb {

LoadingSequence::LoadingSequence(StepClock& clock, LoadingSteps steps,
                                 std::function<void(const QString&)> progress, std::function<void()> finished)
    : m_clock(clock), m_steps(std::move(steps)), m_progress(std::move(progress)),
      m_onFinished(std::move(finished))
{
}

LoadingSequence::~LoadingSequence()
{
    if (m_started && !m_done)
        m_clock.Cancel();
}

void LoadingSequence::Start()
{
    if (m_started)
        return;
    m_started = true;
    m_startTime = std::floor(static_cast<double>(m_clock.NowMs()) / 1000);
    m_clock.CallAfter(kFirstTickMs, [this] { Step1(); });
}

void LoadingSequence::DOUNTIL(double seconds, std::function<void()> then)
{
    // "More than `seconds` since the start": the first whole millisecond past the mark.
    const auto due = static_cast<int64_t>(std::floor((m_startTime + seconds) * 1000)) + 1;
    const int64_t now = m_clock.NowMs();
    if (now >= due) {
        then();
        return;
    }
    // Checked again on waking: a timer may fire early by a rounding step.
    m_clock.CallAfter(
        due - now, [this, seconds, then = std::move(then)]() mutable { DOUNTIL(seconds, std::move(then)); });
}

void LoadingSequence::Step1()
{
    m_progress(QStringLiteral("Loading... GUI"));
    if (m_steps.LoadMainWindow)
        m_steps.LoadMainWindow();
    DOUNTIL(1, [this] { Step2(); });
}

void LoadingSequence::Step2()
{
    m_progress(QStringLiteral("Loading... Checking connections"));
    DOUNTIL(2, [this] { Step3(); });
}

void LoadingSequence::Step3()
{
    const bool online = m_steps.IsOnline && m_steps.IsOnline();
    m_progress(online ? QStringLiteral("Connections online") : QStringLiteral("Connections offline"));
    DOUNTIL(3, [this] { Step4(); });
}

void LoadingSequence::Step4()
{
    m_progress(QStringLiteral("Loading... Programs list"));
    if (m_steps.UpdatePrograms)
        m_steps.UpdatePrograms();
    DOUNTIL(4, [this] { Step5(); });
}

void LoadingSequence::Step5()
{
    const bool proxy = m_steps.IsProxy && m_steps.IsProxy();
    m_progress(proxy ? QStringLiteral("Loading... Proxy: Found")
                     : QStringLiteral("Loading... Proxy: not found"));
    DOUNTIL(5, [this] { Step6(); });
}

void LoadingSequence::Step6()
{
    if (m_steps.ShowMainWindow)
        m_steps.ShowMainWindow();
    if (m_steps.RefreshList)
        m_steps.RefreshList();
    // One turn of the event loop lets the main window paint before the splash goes.
    m_clock.CallAfter(0, [this] {
        m_done = true;
        if (m_onFinished)
            m_onFinished();
    });
}

} // namespace qb

#pragma once
// The splash's paced loading sequence: each step sets the progress line, does its work and then waits
// until a fixed second since the splash started, so the splash stays up for about five seconds and a
// slow step shortens the next wait instead of adding to it.
#include "shell/step_clock.h"

#include <QString>

#include <functional>

namespace qb {

// The work of the steps; the main window fills them. An empty one is skipped (a check reads false).
struct LoadingSteps {
    std::function<void()> LoadMainWindow; // step 1: load the main window hidden (its own start-up runs)
    std::function<bool()> IsOnline;       // step 3
    std::function<void()> UpdatePrograms; // step 4: reload the program rules
    std::function<bool()> IsProxy;        // step 5
    std::function<void()> ShowMainWindow; // step 6: the data transfer page visible, then the window shown
    std::function<void()> RefreshList;    // step 6: the first refresh of the connection list
};

// Runs once per Start(); the clock's timer drives it, nothing waits busily. UI thread only.
class LoadingSequence {
public:
    static constexpr int64_t kFirstTickMs = 500;

    // `progress` shows a progress line; `finished` runs one turn of the event loop after step 6.
    LoadingSequence(StepClock& clock, LoadingSteps steps, std::function<void(const QString&)> progress,
                    std::function<void()> finished);
    ~LoadingSequence();
    LoadingSequence(const LoadingSequence&) = delete;
    LoadingSequence& operator=(const LoadingSequence&) = delete;

    // Records the start time (whole seconds of the clock) and runs the sequence 500 ms later. A second
    // call does nothing.
    void Start();
    // Whole seconds of the clock when Start() ran.
    double StartTime() const { return m_startTime; }
    // Calls `then` once more than `seconds` have passed since the start time; at once when they have.
    void DOUNTIL(double seconds, std::function<void()> then);
    bool Finished() const { return m_done; }

private:
    void Step1();
    void Step2();
    void Step3();
    void Step4();
    void Step5();
    void Step6();

    StepClock& m_clock;
    LoadingSteps m_steps;
    std::function<void(const QString&)> m_progress;
    std::function<void()> m_onFinished;
    double m_startTime = 0;
    bool m_started = false;
    bool m_done = false;
};

} // namespace qb

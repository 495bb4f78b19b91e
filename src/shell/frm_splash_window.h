#pragma once
// The splash window shown while the program loads: gradient background, the padlock animation, the
// captions and a progress line, and the paced loading sequence behind them.
#include "shell/loading_sequence.h"
#include "shell/program_resource.h"

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;

namespace qb {

class AviPlayerWidget;
class UserControl3;

// `FrmSplash`. The owner fills Steps (and may replace ShowWarning or AnimationFile), shows the window
// and calls LoadAmination(); about five seconds later the sequence has shown the main window, the
// splash closes itself and Finished() is emitted. UI thread only.
class FrmSplash : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 220;

    // With a real clock and timer.
    explicit FrmSplash(QWidget* parent = nullptr);
    // With a clock the caller drives; it must outlive the splash.
    explicit FrmSplash(StepClock& clock, QWidget* parent = nullptr);
    ~FrmSplash() override;

    // The steps that touch the main window; read when the sequence starts.
    LoadingSteps Steps;
    // Shows the animation file's write failure; by default a critical message box that does not block.
    // A replacement must not wait for the user either: the sequence's clock runs on behind it.
    WarningSink ShowWarning;
    // Where the animation is written; ProgramFolder() + "nacitavanie.avi" by default.
    QString AnimationFile;

    // The load step: records the start time, writes the animation file and plays it when that worked,
    // and starts the loading sequence (first step 500 ms later). Runs once.
    void LoadAmination();

    QString ProgressText() const;
    AviPlayerWidget& Animation() { return *m_animation; }
    UserControl3& UserControl31() { return *m_userControl31; }

signals:
    // The sequence has ended and the splash has closed.
    void Finished();

private:
    void CreateControls();
    void SetProgress(const QString& text);

    std::unique_ptr<StepClock> m_ownClock;
    StepClock& m_clock;
    std::unique_ptr<LoadingSequence> m_sequence;
    UserControl3* m_userControl31 = nullptr;
    AviPlayerWidget* m_animation = nullptr;
    QLabel* m_progress = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_vendor = nullptr;
};

} // namespace qb

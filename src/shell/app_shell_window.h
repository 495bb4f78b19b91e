#pragma once
// The running program's windows and their lifecycle: the splash loads the main window, the tray icon
// stays until "Close", and the program ends once the main window is closed for good and no prompt is
// left open. Termination signals end it the same way.
#include "shell/help_links.h"
#include "shell/signal_exit.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace qb {

class FrmMain;
class FrmSplash;
class SettingsStore;
class frmSystemTray;
struct Platform;

struct AppShellOptions {
    // After the splash the main window stays hidden in the notification area (shown all the same when
    // there is no notification area to come back from).
    bool startMinimized = false;
};

// UI thread only. The platform and the settings store must outlive it.
class AppShell : public QObject {
    Q_OBJECT
public:
    AppShell(Platform& platform, SettingsStore& settings, AppShellOptions options = {},
             QObject* parent = nullptr);
    ~AppShell() override;

    // Shows the splash, which loads and then shows the main window about five seconds later.
    void Start();
    // Builds the main window and the tray at once, as the splash's first step does.
    void LoadMainWindow();
    // Brings the main window back (the tray's "Open Personal Firewall", a second start).
    void ShowMainWindow();
    // Marks the main window as closing for good, closes it and the tray, and quits once no prompt is open.
    void CloseForGood();

    FrmMain* Main() const { return m_main.get(); }
    frmSystemTray* Tray() const { return m_tray.get(); }

signals:
    // The program is done: the caller leaves the event loop.
    void Finished();

private:
    void FinishWhenNoPrompt();

    Platform& m_platform;
    SettingsStore& m_settings;
    AppShellOptions m_options;
    HelpLinks m_help;
    SignalExit m_signals;
    std::unique_ptr<FrmMain> m_main;
    std::unique_ptr<frmSystemTray> m_tray;
    QPointer<FrmSplash> m_splash;
    bool m_closing = false;
};

} // namespace qb

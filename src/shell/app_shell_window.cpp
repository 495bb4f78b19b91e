#include "shell/app_shell_window.h"

#include "monitor/online_check.h"
#include "platform/platform.h"
#include "shell/frm_main_window.h"
#include "shell/frm_splash_window.h"
#include "shell/frm_system_tray_window.h"
#include "shell/shortcut.h"

#include <QDesktopServices>
#include <QSystemTrayIcon>

namespace qb {

AppShell::AppShell(Platform& platform, SettingsStore& settings, AppShellOptions options, QObject* parent)
    : QObject(parent), m_platform(platform), m_settings(settings), m_options(options),
      m_help([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    // SIGTERM, SIGINT, SIGHUP: the same ending as "Close", without waiting for prompts: destroying them
    // releases their programs.
    connect(&m_signals, &SignalExit::ExitRequested, this, [this] {
        m_closing = true;
        if (m_main)
            m_main->SetUnloaded(true);
        if (m_tray)
            m_tray->RemoveTrayIcon();
        emit Finished();
    });
}

AppShell::~AppShell()
{
    m_tray.reset();
    m_main.reset();
}

void AppShell::Start()
{
    auto* splash = new FrmSplash();
    splash->setAttribute(Qt::WA_DeleteOnClose);
    m_splash = splash;
    splash->Steps.LoadMainWindow = [this] { LoadMainWindow(); };
    splash->Steps.IsOnline = [this] { return IsOnline(*m_platform.connectivity); };
    splash->Steps.UpdatePrograms = [this] { m_main->UpdatePrograms(); };
    splash->Steps.IsProxy = [this] { return IsProxy(*m_platform.connectivity); };
    splash->Steps.ShowMainWindow = [this] {
        m_main->ShowPage(1);
        const bool inTray = m_tray && m_tray->IconShown() && QSystemTrayIcon::isSystemTrayAvailable();
        if (!m_options.startMinimized || !inTray)
            m_main->show();
    };
    splash->Steps.RefreshList = [this] { m_main->RefreshList(); };
    splash->show();
    splash->LoadAmination();
}

void AppShell::LoadMainWindow()
{
    if (m_main)
        return;
    // A shortcut that cannot be written is reported on standard error; start-up goes on.
    (void)CreateStartupShortcut();
    m_main = std::make_unique<FrmMain>(m_platform, m_settings);
    m_main->OpenHelpEntry = [this](int entry) { m_help.ButtonClick(entry); };
    m_main->CloseBoxPressed = [this] {
        // Without a tray there is no way back to a hidden window: the close box then ends the program.
        if (m_tray && m_tray->IconShown() && QSystemTrayIcon::isSystemTrayAvailable())
            m_main->hide();
        else
            CloseForGood();
    };
    connect(m_main.get(), &FrmMain::AllPromptsClosed, this, &AppShell::FinishWhenNoPrompt);

    m_tray = std::make_unique<frmSystemTray>();
    m_tray->ShowMainWindow = [this] { ShowMainWindow(); };
    m_tray->FirewallEnabled = [this] { return m_main->Firewall_Enabled(); };
    m_tray->SetFirewallEnabled = [this](bool enabled) {
        if (enabled != m_main->Firewall_Enabled())
            m_main->ToggleFirewall();
    };
    m_tray->UnloadMainWindow = [this] { CloseForGood(); };
    m_main->SetTrayTip = [this](const QString& tip) {
        if (m_tray)
            m_tray->SetTrayTip(tip);
    };
    m_main->LoadWindow();
}

void AppShell::ShowMainWindow()
{
    if (!m_main || m_closing)
        return;
    m_main->showNormal();
    m_main->raise();
    m_main->activateWindow();
}

void AppShell::CloseForGood()
{
    if (m_closing)
        return;
    m_closing = true;
    if (m_main) {
        m_main->SetUnloaded(true);
        m_main->close();
    }
    if (m_tray) {
        m_tray->RemoveTrayIcon();
        m_tray->hide();
    }
    FinishWhenNoPrompt();
}

void AppShell::FinishWhenNoPrompt()
{
    // Open prompts keep the program alive: each still releases its program when answered or closed.
    if (m_closing && (!m_main || m_main->OpenPrompts() == 0))
        emit Finished();
}

} // namespace qb

#pragma once
// A private X session for end-to-end tests: Xvfb, and on request a window manager (openbox) and a
// tray host (trayer). Everything it starts is killed, by pid, when it goes away.
#include "support/net_namespace.h"

#include <memory>
#include <string>

namespace qb::test {

class XSession {
public:
    ~XSession();

    // True when Xvfb, openbox, trayer, xprop and xdotool are all installed; else false with a reason. A
    // test without them is skipped; one whose session does not start with them has failed.
    static bool ToolsInstalled(std::string* why);

    // Starts Xvfb on a display number claimed with the X lock file, so that servers in other network
    // namespaces never share it; false with a reason when it does not start.
    [[nodiscard]] bool Start(std::string* why);
    [[nodiscard]] bool StartWindowManager(std::string* why);
    [[nodiscard]] bool StartTrayHost(std::string* why);

    const std::string& Display() const { return m_display; }
    pid_t ServerPid() const { return m_server ? m_server->Pid() : -1; }
    pid_t WindowManagerPid() const { return m_windowManager ? m_windowManager->Pid() : -1; }
    pid_t TrayHostPid() const { return m_trayHost ? m_trayHost->Pid() : -1; }
    // Runs a shell command with DISPLAY set; true when it exits with 0.
    bool Run(const std::string& command) const;

private:
    // Starts `command` on the display and waits until the command `ready` succeeds; false with a reason
    // when the client exits first or is not ready in time.
    bool StartClient(std::unique_ptr<ChildProcess>& client, const std::string& command,
                     const std::string& ready, std::string* why);

    std::string m_display;
    int m_lockedDisplay = -1;
    std::unique_ptr<ChildProcess> m_server;
    std::unique_ptr<ChildProcess> m_windowManager;
    std::unique_ptr<ChildProcess> m_trayHost;
};

} // namespace qb::test

#pragma once
// A private X session for end-to-end tests: Xvfb, and on request a window manager (openbox) and a
// tray host (trayer). Everything it starts is killed, by pid, when it goes away.
#include <sys/types.h>

#include <string>
#include <vector>

namespace qb::test {

class XSession {
public:
    XSession() = default;
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // True when Xvfb, openbox, trayer, xprop and xdotool are all installed; else false with a reason. A
    // test without them is skipped; one whose session does not start with them has failed.
    static bool ToolsInstalled(std::string* why);

    // Starts Xvfb on a display number claimed with the X lock file, so that servers in other network
    // namespaces never share it; false with a reason when it is not installed or does not start.
    [[nodiscard]] bool Start(std::string* why);
    [[nodiscard]] bool StartWindowManager(std::string* why);
    [[nodiscard]] bool StartTrayHost(std::string* why);

    const std::string& Display() const { return m_display; }
    pid_t ServerPid() const { return m_server; }
    pid_t WindowManagerPid() const { return m_windowManager; }
    pid_t TrayHostPid() const { return m_trayHost; }
    // Runs a shell command with DISPLAY set; true when it exits with 0.
    bool Run(const std::string& command) const;

private:
    pid_t Spawn(const std::vector<std::string>& argv) const;

    std::string m_display;
    int m_lockedDisplay = -1;
    pid_t m_server = -1;
    pid_t m_windowManager = -1;
    pid_t m_trayHost = -1;
};

} // namespace qb::test

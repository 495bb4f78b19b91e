#include "support/x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iomanip>

namespace qb::test {
namespace {

std::string LockPath(int display)
{
    return "/tmp/.X" + std::to_string(display) + "-lock";
}

// True when the lock names a process that still exists; an unreadable lock counts as taken.
bool LockHeld(int display)
{
    std::ifstream lock(LockPath(display));
    long pid = 0;
    return !(lock >> pid) || (pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH));
}

// Claims an X display number the way X servers do, with an exclusively created lock file; a stale
// lock (its process is gone) is taken over. Starts at a number derived from the pid so that parallel
// tests rarely try the same one. -1 when none is free.
int ClaimDisplay()
{
    for (int i = 0; i < 400; ++i) {
        const int display = 100 + (static_cast<int>(::getpid()) + i) % 400;
        for (int attempt = 0; attempt < 2; ++attempt) {
            const int fd = ::open(LockPath(display).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0444);
            if (fd >= 0) {
                ::close(fd);
                return display;
            }
            if (errno != EEXIST || LockHeld(display))
                break;
            ::unlink(LockPath(display).c_str());
        }
    }
    return -1;
}

// A command line run with DISPLAY set and its output discarded; exec keeps the child's pid the program's.
std::unique_ptr<ChildProcess> Spawn(const std::string& display, const std::string& command)
{
    const std::string line = "exec env DISPLAY=" + display + " " + command + " >/dev/null 2>&1";
    return std::make_unique<ChildProcess>([&] { ::execl("/bin/sh", "sh", "-c", line.c_str(), nullptr); });
}

} // namespace

XSession::~XSession()
{
    m_trayHost.reset();
    m_windowManager.reset();
    m_server.reset();
    if (m_lockedDisplay >= 0) {
        ::unlink(("/tmp/.X11-unix/X" + std::to_string(m_lockedDisplay)).c_str());
        ::unlink(LockPath(m_lockedDisplay).c_str());
    }
}

bool XSession::ToolsInstalled(std::string* why)
{
    for (const char* tool : {"Xvfb", "openbox", "trayer", "xprop", "xdotool"}) {
        if (!RunCommand(std::string("command -v ") + tool)) {
            *why = std::string(tool) + " is not installed";
            return false;
        }
    }
    return true;
}

bool XSession::Start(std::string* why)
{
    // Xvfb's own choice (-displayfd) is per network namespace: parallel tests in private namespaces all
    // got :0, shared /tmp/.X11-unix/X0, and one server's clean-up removed another's socket, which then
    // refused clients while it rebuilt its listeners. So the display is claimed here with the X lock
    // file, which is the same for every namespace, and -noreset keeps the server from rebuilding
    // anything when its last client leaves.
    m_lockedDisplay = ClaimDisplay();
    int ready[2];
    if (m_lockedDisplay < 0 || ::pipe(ready) != 0) {
        *why = m_lockedDisplay < 0 ? "no free X display number" : "pipe failed";
        return false;
    }
    const std::string display = ":" + std::to_string(m_lockedDisplay);
    m_server = Spawn(display, "Xvfb " + display + " -displayfd " + std::to_string(ready[1]) +
                                  " -noreset -screen 0 1024x768x24 -nolisten tcp");
    ::close(ready[1]);
    // The lock names the server, as its own lock would: pid right-aligned in ten columns.
    std::ofstream(LockPath(m_lockedDisplay)) << std::setw(10) << m_server->Pid() << '\n';
    // Xvfb writes the number once it accepts clients; the pipe closes without it when Xvfb dies.
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c = 0;
    while (::poll(&wait, 1, 60000) == 1 && ::read(ready[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(ready[0]);
    if (number != std::to_string(m_lockedDisplay)) {
        m_server.reset();
        *why = "Xvfb did not start on " + display;
        return false;
    }
    m_display = display;
    return true;
}

bool XSession::Run(const std::string& command) const
{
    return RunCommand("DISPLAY=" + m_display + " " + command);
}

bool XSession::StartClient(std::unique_ptr<ChildProcess>& client, const std::string& command,
                           const std::string& ready, std::string* why)
{
    client = Spawn(m_display, command);
    if (PollUntil([&] { return !client->Alive() || Run(ready); }, 60000) && client->Alive())
        return true;
    *why = command.substr(0, command.find(' ')) +
           (client->Alive() ? " did not start" : " exited during start-up");
    return false;
}

bool XSession::StartWindowManager(std::string* why)
{
    return StartClient(m_windowManager, "openbox",
                       "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id #'", why);
}

bool XSession::StartTrayHost(std::string* why)
{
    // trayer names its window "panel" once it has taken the tray selection.
    return StartClient(m_trayHost,
                       "trayer --edge top --align right --widthtype request --height 32 --SetDockType true",
                       "xdotool search --name '^panel$'", why);
}

} // namespace qb::test

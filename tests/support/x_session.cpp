#include "support/x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <thread>

namespace qb::test {
namespace {

bool Installed(const char* program)
{
    const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

// A child that has not exited; one that has is reaped and forgotten, so it is never signalled later.
bool Alive(pid_t& pid)
{
    if (pid > 0 && ::waitpid(pid, nullptr, WNOHANG) == 0)
        return true;
    pid = -1;
    return false;
}

std::string LockPath(int display)
{
    return "/tmp/.X" + std::to_string(display) + "-lock";
}

// True when the lock names a process that still exists; an unreadable lock counts as taken.
bool LockHeld(int display)
{
    std::ifstream lock(LockPath(display));
    long pid = 0;
    if (!(lock >> pid))
        return true;
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH);
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

// The lock names the server, as its own lock would: pid right-aligned in ten columns and a newline.
void WriteLockOwner(int display, pid_t server)
{
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(server));
    const int fd = ::open(LockPath(display).c_str(), O_WRONLY | O_TRUNC);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, text, std::strlen(text));
        ::close(fd);
    }
}

void Stop(pid_t& pid)
{
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

} // namespace

bool XSession::ToolsInstalled(std::string* why)
{
    for (const char* tool : {"Xvfb", "openbox", "trayer", "xprop", "xdotool"}) {
        if (!Installed(tool)) {
            *why = std::string(tool) + " is not installed";
            return false;
        }
    }
    return true;
}

XSession::~XSession()
{
    Stop(m_trayHost);
    Stop(m_windowManager);
    Stop(m_server);
    if (m_lockedDisplay >= 0) {
        const std::string n = std::to_string(m_lockedDisplay);
        ::unlink(("/tmp/.X11-unix/X" + n).c_str());
        ::unlink(("/tmp/.X" + n + "-lock").c_str());
    }
}

pid_t XSession::Spawn(const std::vector<std::string>& argv) const
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!m_display.empty())
            ::setenv("DISPLAY", m_display.c_str(), 1);
        ::freopen("/dev/null", "w", stdout);
        ::freopen("/dev/null", "w", stderr);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

bool XSession::Start(std::string* why)
{
    if (!Installed("Xvfb")) {
        *why = "Xvfb is not installed";
        return false;
    }
    // Xvfb's own choice (-displayfd) is per network namespace: parallel tests in private namespaces all
    // got :0, shared /tmp/.X11-unix/X0, and one server's clean-up removed another's socket, which then
    // refused clients while it rebuilt its listeners. So the display is claimed here with the X lock
    // file, which is the same for every namespace, and -noreset keeps the server from rebuilding
    // anything when its last client leaves.
    m_lockedDisplay = ClaimDisplay();
    if (m_lockedDisplay < 0) {
        *why = "no free X display number";
        return false;
    }
    int ready[2];
    if (::pipe(ready) != 0) {
        *why = "pipe failed";
        return false;
    }
    const std::string display = ":" + std::to_string(m_lockedDisplay);
    m_server = ::fork();
    if (m_server == 0) {
        ::close(ready[0]);
        ::freopen("/dev/null", "w", stdout);
        ::freopen("/dev/null", "w", stderr);
        const std::string fd = std::to_string(ready[1]);
        ::execlp("Xvfb", "Xvfb", display.c_str(), "-displayfd", fd.c_str(), "-noreset", "-screen", "0",
                 "1024x768x24", "-nolisten", "tcp", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ready[1]);
    WriteLockOwner(m_lockedDisplay, m_server);
    // Xvfb writes the number once it accepts clients; the pipe closes without it when Xvfb dies.
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c = 0;
    while (::poll(&wait, 1, 60000) == 1 && ::read(ready[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(ready[0]);
    if (number != std::to_string(m_lockedDisplay)) {
        Stop(m_server);
        *why = "Xvfb did not start on " + display;
        return false;
    }
    m_display = display;
    return true;
}

bool XSession::Run(const std::string& command) const
{
    const std::string line = "DISPLAY=" + m_display + " " + command + " >/dev/null 2>&1";
    return std::system(line.c_str()) == 0;
}

bool XSession::StartWindowManager(std::string* why)
{
    if (!Installed("openbox") || !Installed("xprop")) {
        *why = "openbox (or xprop) is not installed";
        return false;
    }
    m_windowManager = Spawn({"openbox"});
    const bool up = WaitFor(
        [&] {
            return !Alive(m_windowManager) ||
                   Run("xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id #'");
        },
        60000);
    if (up && Alive(m_windowManager))
        return true;
    *why = Alive(m_windowManager) ? "openbox did not start" : "openbox exited during start-up";
    return false;
}

bool XSession::StartTrayHost(std::string* why)
{
    if (!Installed("trayer") || !Installed("xdotool")) {
        *why = "trayer (or xdotool) is not installed";
        return false;
    }
    m_trayHost = Spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height",
                        "32", "--SetDockType", "true"});
    // trayer names its window "panel" once it has taken the tray selection.
    const bool up =
        WaitFor([&] { return !Alive(m_trayHost) || Run("xdotool search --name '^panel$'"); }, 60000);
    if (up && Alive(m_trayHost))
        return true;
    *why = Alive(m_trayHost) ? "trayer did not start" : "trayer exited during start-up";
    return false;
}

} // namespace qb::test

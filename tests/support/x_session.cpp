#include "support/x_session.h"

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
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
    // Xvfb chooses a free display itself and writes its number to the pipe once it accepts clients:
    // tests starting servers at the same time cannot pick the same display.
    int ready[2];
    if (::pipe(ready) != 0) {
        *why = "pipe failed";
        return false;
    }
    m_server = ::fork();
    if (m_server == 0) {
        ::close(ready[0]);
        ::freopen("/dev/null", "w", stdout);
        ::freopen("/dev/null", "w", stderr);
        const std::string fd = std::to_string(ready[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ready[1]);
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c = 0;
    while (::poll(&wait, 1, 20000) == 1 && ::read(ready[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(ready[0]);
    if (number.empty()) {
        Stop(m_server);
        *why = "Xvfb did not start";
        return false;
    }
    m_display = ":" + number;
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
    if (WaitFor([&] { return Run("xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id #'"); }, 20000))
        return true;
    *why = "openbox did not start";
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
    if (WaitFor([&] { return Run("xdotool search --name '^panel$'"); }, 20000))
        return true;
    *why = "trayer did not start";
    return false;
}

} // namespace qb::test

#include "support/x_session.h"

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
    for (int number = 90 + ::getpid() % 100; number < 400; ++number) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
        struct stat info;
        if (::stat(socket.c_str(), &info) == 0 || ::stat(lock.c_str(), &info) == 0)
            continue;
        const std::string display = ":" + std::to_string(number);
        m_server = Spawn({"Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (WaitFor([&] { return ::stat(socket.c_str(), &info) == 0; }, 5000)) {
            m_display = display;
            return true;
        }
        Stop(m_server);
    }
    *why = "Xvfb did not start";
    return false;
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
    if (WaitFor([&] { return Run("xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id #'"); }, 5000))
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
    if (WaitFor([&] { return Run("xdotool search --name '^panel$'"); }, 5000))
        return true;
    *why = "trayer did not start";
    return false;
}

} // namespace qb::test

#include "platform/linux/linux_platform.h"

#include "platform/linux/connectivity_linux.h"
#include "platform/linux/desktop_processes_linux.h"
#include "platform/linux/file_info_linux.h"
#include "platform/linux/freeze_guardian.h"
#include "platform/linux/getnameinfo_resolver.h"
#include "platform/linux/icmp_echo.h"
#include "platform/linux/input_grabs_linux.h"
#include "platform/linux/interface_table_linux.h"
#include "platform/linux/process_source_linux.h"
#include "platform/linux/process_terminator_linux.h"
#include "platform/linux/tcp_table_linux.h"
#include "platform/linux/thread_control_linux.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace qb::linux_os {
namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string HomeRelative(const char* variable, const char* fallback)
{
    std::string folder = Env(variable);
    if (folder.empty())
        folder = Env("HOME") + fallback;
    return folder;
}

} // namespace

std::string DefaultStateFolder()
{
    const std::string parent = HomeRelative("XDG_STATE_HOME", "/.local/state");
    const std::string folder = parent + "/Quillbrook";
    std::error_code error;
    std::filesystem::create_directories(parent, error);
    ::mkdir(folder.c_str(), 0700); // fails harmlessly when it exists; checked below
    // It holds the frozen set and, without a runtime folder, the instance lock: ours and private.
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return {};
    if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
        return {};
    return folder;
}

Platform MakeLinuxPlatform(const std::string& stateFolder, FreezeGuardian* guardian)
{
    Platform platform;
    platform.tcpTable = std::make_unique<LinuxTcpTable>();
    platform.processes = std::make_unique<LinuxProcessSource>();
    platform.terminator = std::make_unique<LinuxProcessTerminator>();
    auto files = std::make_unique<LinuxFileInfo>();
    files->Prefetch();
    platform.files = std::move(files);
    auto threads = std::make_unique<LinuxThreadControl>(
        "/proc", stateFolder.empty() ? "" : stateFolder + "/frozen", guardian);
    threads->ReleaseStale();
    platform.threads = std::move(threads);
    platform.interfaces = std::make_unique<LinuxInterfaceTable>();
    platform.connectivity =
        std::make_unique<LinuxConnectivity>(Env, HomeRelative("XDG_CONFIG_HOME", "/.config"));
    const std::string wayland = Env("WAYLAND_DISPLAY");
    const std::string waylandSocket =
        wayland.empty() ? std::string()
                        : (wayland[0] == '/' ? wayland : Env("XDG_RUNTIME_DIR") + "/" + wayland);
    std::vector<uint32_t> helpers;
    if (guardian)
        helpers.push_back(static_cast<uint32_t>(guardian->Pid()));
    platform.desktop = std::make_unique<LinuxDesktopProcesses>(Env("DISPLAY"), waylandSocket, helpers);
    platform.grabs = std::make_unique<LinuxInputGrabs>(Env("DISPLAY"));
    platform.echo = std::make_unique<IcmpEcho>();
    platform.resolver = std::make_shared<GetnameinfoResolver>();
    return platform;
}

} // namespace qb::linux_os

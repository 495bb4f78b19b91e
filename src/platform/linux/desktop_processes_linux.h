#pragma once
// Finds the display server, window manager and tray host of the X11 or Wayland session.
#include "platform/desktop_processes.h"

#include <optional>
#include <string>

namespace qb::linux_os {

// The display server and a Wayland compositor are the peers of their local sockets (SO_PEERCRED). The
// window manager is the owner of the root window's _NET_SUPPORTING_WM_CHECK window, the tray host the
// owner of the _NET_SYSTEM_TRAY_S<screen> selection; a window's owner comes from its _NET_WM_PID, or
// from the X-Resource extension's client ids when the window has none. Answers are looked up afresh on
// each call (a window manager may be replaced); each call opens one short X connection.
class LinuxDesktopProcesses final : public DesktopProcesses {
public:
    // `display` as in $DISPLAY, `waylandSocket` the full path of the Wayland socket (both may be empty);
    // `helpers` are this program's own helper processes, listed with it.
    LinuxDesktopProcesses(std::string display, std::string waylandSocket, std::vector<uint32_t> helpers = {});
    std::vector<uint32_t> Pids() override;

private:
    std::string m_display;
    std::string m_waylandSocket;
    std::vector<uint32_t> m_helpers;
};

// The pid at the other end of a local stream socket at `path` ('@' first: abstract); nullopt when
// nothing listens there or the peer is in another pid namespace.
std::optional<uint32_t> SocketPeerPid(const std::string& path);
// "/tmp/.X11-unix/X<n>" for a local display (":1", ":1.0", "unix:1"); empty for a remote one.
std::string LocalDisplaySocket(const std::string& display);

} // namespace qb::linux_os

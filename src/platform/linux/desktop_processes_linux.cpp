#include "platform/linux/desktop_processes_linux.h"

#include "platform/unique_fd.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/res.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace qb::linux_os {
namespace {

struct ConnectionCloser {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionCloser>;

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* c, const std::string& name)
{
    ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, static_cast<uint16_t>(name.size()), name.c_str()),
                              nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The first 32-bit value of a window property, or 0.
uint32_t Property32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    if (property == XCB_ATOM_NONE)
        return 0;
    ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 1), nullptr), &std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return 0;
    uint32_t value = 0;
    std::memcpy(&value, xcb_get_property_value(reply.get()), 4);
    return value;
}

uint32_t OwnerOfWindow(xcb_connection_t* c, xcb_window_t window)
{
    if (window == XCB_WINDOW_NONE)
        return 0;
    if (const uint32_t pid = Property32(c, window, Atom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL))
        return pid;
    xcb_res_client_id_spec_t wanted{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    ReplyPtr<xcb_res_query_client_ids_reply_t> reply(
        xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &wanted), nullptr), &std::free);
    if (!reply)
        return 0;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0;
         xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
            xcb_res_client_id_value_value_length(it.data) >= 1)
            return *xcb_res_client_id_value_value(it.data);
    }
    return 0;
}

} // namespace

std::string LocalDisplaySocket(const std::string& display)
{
    std::string rest = display;
    if (rest.rfind("unix:", 0) == 0)
        rest = rest.substr(4);
    if (rest.empty() || rest[0] != ':')
        return {};
    const std::string number =
        rest.substr(1, rest.find('.') == std::string::npos ? std::string::npos : rest.find('.') - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return {};
    return "/tmp/.X11-unix/X" + number;
}

std::optional<uint32_t> SocketPeerPid(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, path.data(), path.size());
    socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
    if (path[0] == '@')
        address.sun_path[0] = '\0';
    else
        ++length;
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.Valid() || ::connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), length) != 0)
        return std::nullopt;
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd.Get(), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || credentials.pid <= 0)
        return std::nullopt;
    return static_cast<uint32_t>(credentials.pid);
}

LinuxDesktopProcesses::LinuxDesktopProcesses(std::string display, std::string waylandSocket,
                                             std::vector<uint32_t> helpers)
    : m_display(std::move(display)), m_waylandSocket(std::move(waylandSocket)), m_helpers(std::move(helpers))
{
}

std::vector<uint32_t> LinuxDesktopProcesses::Pids()
{
    std::vector<uint32_t> pids{static_cast<uint32_t>(::getpid())};
    pids.insert(pids.end(), m_helpers.begin(), m_helpers.end());
    const auto add = [&pids](std::optional<uint32_t> pid) {
        if (pid && *pid != 0)
            pids.push_back(*pid);
    };
    add(SocketPeerPid(m_waylandSocket));
    const std::string xSocket = LocalDisplaySocket(m_display);
    add(SocketPeerPid(xSocket));
    if (!xSocket.empty())
        add(SocketPeerPid("@" + xSocket));
    if (m_display.empty())
        return pids;

    int screenNumber = 0;
    Connection c(xcb_connect(m_display.c_str(), &screenNumber));
    if (!c || xcb_connection_has_error(c.get()))
        return pids;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return pids;
    const xcb_window_t root = screens.data->root;
    const xcb_window_t check =
        Property32(c.get(), root, Atom(c.get(), "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    add(OwnerOfWindow(c.get(), check));
    const xcb_atom_t tray = Atom(c.get(), "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber));
    ReplyPtr<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c.get(), xcb_get_selection_owner(c.get(), tray), nullptr), &std::free);
    if (owner)
        add(OwnerOfWindow(c.get(), owner->owner));
    return pids;
}

} // namespace qb::linux_os

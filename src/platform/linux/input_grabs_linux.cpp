#include "platform/linux/input_grabs_linux.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace qb::linux_os {
namespace {

using Reply = std::unique_ptr<void, decltype(&std::free)>;

// What the status of one grab attempt says; a grab that succeeded is already let go by the caller.
GrabState FromStatus(const uint8_t* status)
{
    if (status == nullptr)
        return GrabState::Unknown;
    if (*status == XCB_GRAB_STATUS_SUCCESS)
        return GrabState::Free;
    if (*status == XCB_GRAB_STATUS_ALREADY_GRABBED || *status == XCB_GRAB_STATUS_FROZEN)
        return GrabState::Grabbed;
    return GrabState::Unknown;
}

} // namespace

void LinuxInputGrabs::Disconnect::operator()(xcb_connection_t* connection) const
{
    xcb_disconnect(connection);
}

LinuxInputGrabs::LinuxInputGrabs(std::string display) : m_display(std::move(display)) {}

LinuxInputGrabs::~LinuxInputGrabs() = default;

GrabState LinuxInputGrabs::Check()
{
    if (m_display.empty())
        return GrabState::Unknown;
    if (m_connection && xcb_connection_has_error(m_connection.get()))
        m_connection.reset();
    if (!m_connection) {
        int screenNumber = 0;
        m_connection.reset(xcb_connect(m_display.c_str(), &screenNumber));
        if (xcb_connection_has_error(m_connection.get())) {
            m_connection.reset();
            return GrabState::Unknown;
        }
        auto screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection.get()));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
            xcb_screen_next(&screens);
        if (screens.rem == 0) {
            m_connection.reset();
            return GrabState::Unknown;
        }
        m_root = screens.data->root;
    }
    xcb_connection_t* c = m_connection.get();
    Reply pointer(
        xcb_grab_pointer_reply(c,
                               xcb_grab_pointer(c, 0, m_root, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                                                XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
                               nullptr),
        &std::free);
    const auto* pointerReply = static_cast<xcb_grab_pointer_reply_t*>(pointer.get());
    GrabState state = FromStatus(pointerReply ? &pointerReply->status : nullptr);
    if (state == GrabState::Free) {
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
        Reply keyboard(xcb_grab_keyboard_reply(c,
                                               xcb_grab_keyboard(c, 0, m_root, XCB_CURRENT_TIME,
                                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                               nullptr),
                       &std::free);
        const auto* keyboardReply = static_cast<xcb_grab_keyboard_reply_t*>(keyboard.get());
        state = FromStatus(keyboardReply ? &keyboardReply->status : nullptr);
        if (state == GrabState::Free)
            xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    }
    xcb_flush(c);
    return state;
}

} // namespace qb::linux_os

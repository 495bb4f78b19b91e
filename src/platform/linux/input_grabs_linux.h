#pragma once
// Active grabs on an X11 display, found by trying one.
#include "platform/input_grabs.h"

#include <memory>
#include <string>

struct xcb_connection_t;

namespace qb::linux_os {

// Grabs the pointer and then the keyboard on the root window and lets each go at once: "already
// grabbed" (or "frozen") means another client holds it. The grab lasts one round trip; it can cost a
// click made in that instant. Keeps one connection, made again after it breaks. Without $DISPLAY (a
// Wayland session), or when the server cannot be reached, every check is Unknown.
class LinuxInputGrabs final : public InputGrabs {
public:
    explicit LinuxInputGrabs(std::string display);
    ~LinuxInputGrabs() override;
    GrabState Check() override;

private:
    struct Disconnect {
        void operator()(xcb_connection_t* connection) const;
    };
    std::string m_display;
    std::unique_ptr<xcb_connection_t, Disconnect> m_connection;
    unsigned m_root = 0;
};

} // namespace qb::linux_os

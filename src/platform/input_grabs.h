#pragma once
// Whether some client of the display holds the pointer or the keyboard for itself.
namespace qb {

enum class GrabState {
    Free,    // nobody holds an active grab
    Grabbed, // another client holds the pointer or the keyboard (an open menu, a drag)
    Unknown, // no display that can tell
};

// A process frozen while it holds a grab keeps the grab, and nothing on the desktop can be clicked or
// typed into until it runs again; freezing waits while this says Grabbed. UI thread only; never throws.
class InputGrabs {
public:
    virtual ~InputGrabs() = default;
    [[nodiscard]] virtual GrabState Check() = 0;
};

} // namespace qb

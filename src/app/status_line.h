// The status line's state (text, percent, colours) and its two setters. One
// object owned by the controller, shared by all threads; each change is
// rendered through the user-interface port.
#pragma once

#include <mutex>

#include "app/user_interface_port.h"

namespace ib {

class StatusLine {
public:
    explicit StatusLine(UserInterfacePort& port) : m_port(port) {}

    // Back to "Welcome", 50 %, blue on grey, green text.
    void attach();
    // Stores the text, the percent clamped to 0..100 and the colours, and repaints at once.
    void setProgress(const std::string& text, int percent, std::uint32_t doneColour, std::uint32_t restColour);
    // Stores the text colour only; it shows at the next repaint.
    void setTextColour(std::uint32_t colour);
    StatusState state() const;

private:
    UserInterfacePort& m_port;
    mutable std::mutex m_mutex;
    StatusState m_state;
};

}  // namespace ib

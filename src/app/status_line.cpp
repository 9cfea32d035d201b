// Status line state. See status_line.h.
#include "app/status_line.h"

#include <algorithm>

namespace ib {

void StatusLine::attach() {
    std::lock_guard lock(m_mutex);
    m_state = StatusState{};
}

void StatusLine::setProgress(const std::string& text, int percent, std::uint32_t doneColour,
                             std::uint32_t restColour) {
    StatusState snapshot;
    {
        std::lock_guard lock(m_mutex);
        m_state.text = text;
        m_state.percent = std::clamp(percent, 0, 100);
        m_state.doneColour = doneColour;
        m_state.restColour = restColour;
        snapshot = m_state;
    }
    m_port.renderStatus(snapshot);
}

void StatusLine::setTextColour(std::uint32_t colour) {
    std::lock_guard lock(m_mutex);
    m_state.textColour = colour;
}

StatusState StatusLine::state() const {
    std::lock_guard lock(m_mutex);
    return m_state;
}

}  // namespace ib

#include "app/keyboard_focus.h"

#include <algorithm>

namespace ib {
namespace {

bool isTabStop(ControlKind kind) {
    switch (kind) {
        case ControlKind::DefaultButton:
        case ControlKind::Button:
        case ControlKind::Edit:
        case ControlKind::NumberEdit:
        case ControlKind::CheckBox:
        case ControlKind::ComboBox: return true;
        default: return false;
    }
}

const ControlSpec* specOf(int id) {
    const auto controls = mainDialogControls();
    const auto found = std::find_if(controls.begin(), controls.end(), [id](const ControlSpec& c) { return c.id == id; });
    return found == controls.end() || id == kNoId ? nullptr : &*found;
}

bool contains(std::span<const int> ids, int id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

}  // namespace

int KeyboardFocus::nextAfter(int from) const {
    const auto controls = mainDialogControls();
    const ControlSpec* start = specOf(from);
    const std::size_t first = start ? static_cast<std::size_t>(start - controls.data()) + 1 : 0;
    for (std::size_t step = 0; step < controls.size(); ++step) {
        const ControlSpec& spec = controls[(first + step) % controls.size()];
        if (spec.id != from && isTabStop(spec.kind) && m_controls.canTakeFocus(spec.id)) return spec.id;
    }
    return kNoId;
}

void KeyboardFocus::focusStart() {
    const int to = m_controls.canTakeFocus(control::Start) ? control::Start : nextAfter(control::Start);
    if (to != control::Start) {
        m_returnsTo = control::Start;
        m_movedTo = to;
    }
    m_controls.focusControl(to);
}

void KeyboardFocus::setEnabled(std::span<const int> ids, bool enabled) {
    const int focused = m_controls.focusedControl();
    for (int id : ids) m_controls.setEnabled(id, enabled);
    if (!enabled && contains(ids, focused)) {
        m_returnsTo = focused;
        m_movedTo = nextAfter(focused);
        m_controls.focusControl(m_movedTo);
    } else if (enabled && m_returnsTo != kNoId && contains(ids, m_returnsTo)) {
        if (focused == m_movedTo && m_controls.canTakeFocus(m_returnsTo)) m_controls.focusControl(m_returnsTo);
        m_returnsTo = kNoId;
    }
}

void KeyboardFocus::keepUsable() {
    const int focused = m_controls.focusedControl();
    const ControlSpec* spec = specOf(focused);
    // A window that is not the table's (the service log) keeps it.
    if (focused != kNoId && !spec) return;
    if (spec && isTabStop(spec->kind) && m_controls.canTakeFocus(focused)) return;
    if (focused == kNoId && nextAfter(kNoId) == kNoId) return;
    focusStart();
}

}  // namespace ib

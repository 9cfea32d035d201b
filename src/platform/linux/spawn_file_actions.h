// posix_spawn file actions that are released on every path. Shared by the
// program's process runner and the helper tools, which add their own actions.
#pragma once

#include <spawn.h>

namespace ib::platform {

class SpawnFileActions {
public:
    SpawnFileActions() { m_ready = posix_spawn_file_actions_init(&m_actions) == 0; }
    ~SpawnFileActions() {
        if (m_ready) posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;

    // false when the actions could not be set up; nothing may be added then.
    bool ready() const { return m_ready; }
    posix_spawn_file_actions_t* get() { return &m_actions; }
    const posix_spawn_file_actions_t* get() const { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions{};
    bool m_ready = false;
};

}  // namespace ib::platform

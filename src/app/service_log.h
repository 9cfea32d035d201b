// The technician's log beside the service panel: every status text, step
// message, warning, message box and finished operation, one time-stamped line
// each ("HH:MM:SS.mmm  status: ..."). The face shows each line as it comes;
// the log can be saved, and copied to a file as it grows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/operation.h"
#include "app/user_interface_port.h"

namespace ib {

class ServiceLog {
public:
    // `shown` gets each stamped line as it is added (to append it to the view).
    explicit ServiceLog(std::function<void(const std::string& line)> shown) : m_shown(std::move(shown)) {}

    void status(const StatusState& state);
    void step(const std::string& text);
    void warning(const std::string& text);
    void message(const std::string& text);
    void finished(Operation op, std::uint32_t result);

    // Every line so far, each ended by a line feed.
    const std::string& text() const { return m_text; }
    // Writes the log whole, replacing `path` only once it is complete.
    [[nodiscard]] bool save(const std::filesystem::path& path) const;
    // Writes the log so far and every later line to `path` as well (appended).
    [[nodiscard]] bool copyTo(const std::filesystem::path& path);

private:
    void add(const std::string& line);

    std::function<void(const std::string&)> m_shown;
    std::string m_text;
    std::ofstream m_copy;
};

}  // namespace ib

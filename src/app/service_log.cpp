#include "app/service_log.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "app/main_dialog_logic.h"
#include "seams/replacement_file.h"

namespace ib {
namespace {

// "HH:MM:SS.mmm  " of the local time now.
std::string logTimeStamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d  ", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return stamp;
}

}  // namespace

void ServiceLog::status(const StatusState& state) {
    add("status: " + state.text + " (" + std::to_string(state.percent) + " %)");
}

void ServiceLog::step(const std::string& text) { add("step: " + text); }

void ServiceLog::warning(const std::string& text) { add("warning: " + text); }

void ServiceLog::message(const std::string& text) { add("message: " + text); }

void ServiceLog::finished(Operation op, std::uint32_t result) {
    add(std::string(operationName(op)) + " finished: " + (result == 1 ? "success" : "failure"));
}

void ServiceLog::add(const std::string& line) {
    const std::string stamped = logTimeStamp() + line;
    m_text += stamped + '\n';
    if (m_copy.is_open()) m_copy << stamped << '\n' << std::flush;
    if (m_shown) m_shown(stamped);
}

bool ServiceLog::save(const std::filesystem::path& path) const {
    ReplacementFile file(path);
    file.stream() << m_text;
    return file.commit();
}

bool ServiceLog::copyTo(const std::filesystem::path& path) {
    m_copy.open(path, std::ios::binary | std::ios::app);
    if (!m_copy) return false;
    m_copy << m_text << std::flush;
    return static_cast<bool>(m_copy);
}

}  // namespace ib

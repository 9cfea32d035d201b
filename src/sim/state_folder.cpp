// The state folder of the simulated recorder. See state_folder.h.
#include "sim/state_folder.h"

#include <chrono>
#include <fstream>
#include <thread>

#include "seams/small_file.h"
#include "sim/recorder_ini.h"
#include "sim/recorder_model.h"
#include "seams/utf8_path.h"
#include "seams/system_error_text.h"

namespace ib::sim {
namespace {

namespace fs = std::filesystem;

constexpr char kIniName[] = "recorder.ini";
constexpr char kLogName[] = "commands.log";
constexpr char kRamName[] = "ram.bin";
constexpr char kUnpluggedName[] = "unplugged";

// The recorder's settings file. On Windows a file that another program (or
// thread) is just replacing by a rename cannot be opened for a moment, so a
// file that is there but unreadable is read again for up to a second.
std::optional<std::string> readIni(const fs::path& ini) {
    for (int attempt = 0;; ++attempt) {
        auto text = readSmallFile(ini, kLargestProfileBytes);
        std::error_code ec;
        if (text || attempt == 100 || !fs::exists(ini, ec)) return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Writes a temporary file and renames it over the target, so a reader sees the
// old or the new text. The filesystem library's rename replaces an existing
// target on every platform (on Windows too, where the C library's would not).
bool replaceFile(const fs::path& target, const std::string& text, std::string& error) {
    fs::path temp = target;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            error = "cannot write " + temp.string();
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        error = "cannot write " + target.string() + ": " + systemErrorText(ec);
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

bool truncateFile(const fs::path& path, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) return true;
    error = "cannot create " + path.string();
    return false;
}

}  // namespace

fs::path areaImagePath(const fs::path& dir, AreaId id) {
    return dir / pathFromUtf8("storage-" + std::to_string(id.type) + "-area-" + std::to_string(id.area) + ".img");
}

bool StateFolder::create(const fs::path& dir, const RecorderState& state, bool force, std::string& error) {
    std::error_code ec;
    if (fs::exists(dir / kIniName, ec) && !force) {
        error = dir.string() + " already holds a simulated recorder (use --force to replace it)";
        return false;
    }
    fs::create_directories(dir, ec);
    if (ec) {
        error = "cannot create " + dir.string() + ": " + systemErrorText(ec);
        return false;
    }
    // Held while the files are replaced: a program that has the recorder would go on with a wiped one.
    const auto lock = stateFolderLock(dir);
    if (const auto holder = lock->take()) {
        error = recorderInUseMessage(*holder);
        return false;
    }
    fs::remove(dir / kUnpluggedName, ec);
    for (std::uint8_t t = 0; t < kStorageTypeCount; ++t)
        for (std::uint8_t a = 0; a < kAreasPerType; ++a)
            if (!truncateFile(areaImagePath(dir, {t, a}), error)) return false;
    return truncateFile(dir / kLogName, error) && truncateFile(dir / kRamName, error) &&
           replaceFile(dir / kIniName, formatRecorderIni(state), error);
}

std::optional<RecorderState> StateFolder::peekState(const fs::path& dir, std::string& error) {
    const auto ini = readIni(dir / kIniName);
    if (!ini) {
        error = "no simulated recorder in " + dir.string() + " (run: sim init " + dir.string() + ")";
        return std::nullopt;
    }
    RecorderState state;
    if (!parseRecorderIni(*ini, state, error)) {
        error = (dir / kIniName).string() + " " + error;
        return std::nullopt;
    }
    return state;
}

StateFolder::Opened StateFolder::open(const fs::path& dir, std::string& error) {
    Opened opened;
    // Taken before the state is read, so that the state read is the one this program changes.
    auto lock = stateFolderLock(dir);
    if (std::error_code ec; fs::exists(dir / kIniName, ec)) {
        if (const auto holder = lock->take()) {
            error = recorderInUseMessage(*holder);
            return opened;
        }
    }
    const auto ini = readIni(dir / kIniName);
    if (!ini) {
        error = "no simulated recorder in " + dir.string() + " (run: sim init " + dir.string() + ")";
        return opened;
    }
    if (!parseRecorderIni(*ini, opened.state, error)) {
        error = (dir / kIniName).string() + " " + error;
        return opened;
    }
    // A missing RAM image is an empty one; one larger than the recorder's memory is no RAM image.
    std::error_code ec;
    const auto ram = fs::exists(dir / kRamName, ec) ? readSmallFile(dir / kRamName, kRamCapacityBytes)
                                                    : std::optional<std::string>("");
    if (!ram) {
        error = (dir / kRamName).string() + " does not read or holds more than the recorder's memory";
        return opened;
    }
    opened.ram.assign(ram->begin(), ram->end());

    auto folder = std::unique_ptr<StateFolder>(new StateFolder(dir));
    if (!folder->openFiles(error)) return opened;
    folder->m_savedState = opened.state;
    folder->m_lock = std::move(lock);
    opened.folder = std::move(folder);
    return opened;
}

bool StateFolder::openFiles(std::string& error) {
    for (std::uint8_t t = 0; t < kStorageTypeCount; ++t)
        for (std::uint8_t a = 0; a < kAreasPerType; ++a)
            if (!(m_areas[t][a] = FileAreaStore::open(areaImagePath(m_dir, {t, a}), error))) return false;
    if (!(m_log = CommandLogFile::open(m_dir / kLogName, error))) return false;
    m_ram = NativeFile::open(m_dir / kRamName, NativeFile::Mode::Append, error);
    return m_ram != nullptr;
}

bool setCablePlugged(const fs::path& dir, bool plugged, std::string& error) {
    std::error_code ec;
    if (!fs::exists(dir / kIniName, ec)) {
        error = "no simulated recorder in " + dir.string() + " (run: sim init " + dir.string() + ")";
        return false;
    }
    if (plugged) {
        fs::remove(dir / kUnpluggedName, ec);
        if (!ec) return true;
    } else if (std::ofstream(dir / kUnpluggedName).is_open()) {
        return true;
    }
    error = "cannot change " + (dir / kUnpluggedName).string();
    return false;
}

bool StateFolder::cablePlugged() const { return cablePluggedIn(m_dir); }

bool cablePluggedIn(const fs::path& dir) {
    std::error_code ec;
    return !fs::exists(dir / kUnpluggedName, ec);
}

StateFolder::~StateFolder() = default;

void StateFolder::fail(const std::string& what) {
    m_error = what + " in " + m_dir.string() + ": " + NativeFile::lastError();
}

AreaStore& StateFolder::area(AreaId id) { return *m_areas[id.type][id.area]; }

void StateFolder::appendLog(std::string_view line, LogTiming timing) { m_log->append(line, timing); }

std::string StateFolder::persistenceError() const { return m_error.empty() ? m_log->error() : m_error; }

void StateFolder::appendRam(std::span<const std::uint8_t> bytes) {
    if (!m_ram->append(bytes)) fail("cannot append to ram.bin");
}

void StateFolder::clearRam() {
    if (!m_ram->truncate(0)) fail("cannot empty ram.bin");
}

void StateFolder::saveState(const RecorderState& state) {
    if (state == m_savedState) return;  // most commands change nothing that is kept
    std::string error;
    if (!replaceFile(m_dir / kIniName, formatRecorderIni(state), error)) {
        m_error = error;
        return;
    }
    m_savedState = state;
}

}  // namespace ib::sim

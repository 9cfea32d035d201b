// A state folder: the simulated recorder kept on disk so that several CLI runs
// (and later a USB gadget) see the same recorder. The layout is a contract
// that acceptance checks read:
//   recorder.ini                   state (see recorder_ini.h), rewritten atomically on change
//   commands.log                   one line per command block received (see command_log.h),
//                                  appended in blocks (see command_log_file.h)
//   storage-<type>-area-<area>.img the area's bytes, sparse, sector s at byte s × 512
//   ram.bin                        bytes received by Download since the last power-on
//   unplugged                      present while the recorder's cable is out
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/command_log_file.h"
#include "sim/file_area_store.h"
#include "sim/recorder_backing.h"
#include "sim/state_folder_lock.h"

namespace ib::sim {

class StateFolder final : public RecorderBacking {
public:
    struct Opened {
        std::unique_ptr<StateFolder> folder;  // null when the folder could not be opened
        RecorderState state;
        std::vector<std::uint8_t> ram;
    };

    // Creates the folder with a fresh recorder. An existing state folder
    // (one holding recorder.ini) is refused unless `force`, which replaces its
    // files (other files in the folder are left alone); never while another
    // program holds the recorder.
    static bool create(const std::filesystem::path& dir, const RecorderState& state, bool force,
                       std::string& error);
    // Opens an existing state folder and reads its state and RAM image.
    static Opened open(const std::filesystem::path& dir, std::string& error);
    // Reads the state only, without taking the folder: what a look at the bus
    // sees of a recorder another program holds. Nothing, with `error`, when
    // recorder.ini does not read.
    static std::optional<RecorderState> peekState(const std::filesystem::path& dir, std::string& error);

    ~StateFolder() override;
    StateFolder(const StateFolder&) = delete;
    StateFolder& operator=(const StateFolder&) = delete;

    AreaStore& area(AreaId id) override;
    void appendLog(std::string_view line, LogTiming timing) override;
    // commands.log holds the whole log; none of it is kept in memory.
    std::size_t logLinesInMemory() const override { return 0; }
    void appendRam(std::span<const std::uint8_t> bytes) override;
    void clearRam() override;
    void saveState(const RecorderState& state) override;
    std::string persistenceError() const override;
    bool cablePlugged() const override;

    const std::filesystem::path& path() const { return m_dir; }

private:
    explicit StateFolder(std::filesystem::path dir) : m_dir(std::move(dir)) {}
    bool openFiles(std::string& error);
    void fail(const std::string& what);

    std::filesystem::path m_dir;
    std::array<std::array<std::unique_ptr<FileAreaStore>, kAreasPerType>, kStorageTypeCount> m_areas;
    std::unique_ptr<CommandLogFile> m_log;
    std::unique_ptr<NativeFile> m_ram;
    RecorderState m_savedState;  // what recorder.ini holds now, to skip rewriting an unchanged state
    std::string m_error;
    std::unique_ptr<RecorderLock> m_lock;  // held while the folder is open: one program at a time
};

std::filesystem::path areaImagePath(const std::filesystem::path& dir, AreaId id);

// Pulls or plugs the cable of the recorder in `dir`, also while a program
// holds it (that program sees the removal or arrival at its next look at the
// bus). false with `error` when the folder holds no recorder.
bool setCablePlugged(const std::filesystem::path& dir, bool plugged, std::string& error);
// Whether the cable of the recorder in `dir` is in (no `unplugged` file), whoever holds it.
bool cablePluggedIn(const std::filesystem::path& dir);

}  // namespace ib::sim

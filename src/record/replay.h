// A recorder double that answers from a recording, behind the same seams as
// a real recorder. It is strict: the volumes opened and the exchanges sent
// must be the recorded ones, in the recorded order; the first one that
// differs (another command block, other data, data whose digest differs)
// stops the replay, and from then on no volume opens and no command gets
// through, so the run ends at its next step. verdict() then tells what
// differed, as a unified diff of the recorded line and the line of this run.
//
// Sector reads recorded as digests are answered with the sectors this run
// wrote when the digest matches, else with zeros, which warning() tells.
// The USB device list answers with the recorded one, port paths included, and
// a volume's port is the recorded one, so a recorder is chosen as in the run.
// Arrival and removal notifications stay in the recording for people to read;
// the replay does not send them. Time is not replayed unless asked for: then each exchange
// is answered no earlier than it was in the recording.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "record/recording_reader.h"
#include "record/sector_mirror.h"
#include "seams/pass_through.h"
#include "seams/usb_storage_enumeration.h"

namespace ib::record {

class Replay final : public VolumeProvider, public UsbStorageEnumerator, public DeviceEventSource {
public:
    // Null with `error` set when the file cannot be read or is no recording,
    // or when `stopped` said to stop while it was read.
    static std::unique_ptr<Replay> load(const std::filesystem::path& file, bool keepTiming, std::string& error,
                                        const StopAsked& stopped = {});
    Replay(RecordedSession session, bool keepTiming);

    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot) override;
    std::string volumeName(char letter) const override;
    // The recorded USB port of the volume at `letter` ("" where the recording has none).
    std::string volumePort(char letter) const override;
    UsbStorageList presentDevices() override;
    bool registerClass(InterfaceClass) override { return true; }
    void start(Sink) override {}
    void stop() override {}

    // Answers one exchange on the volume at `letter`.
    ScsiOutcome answer(char letter, const ScsiRequest& request);
    // nullopt when the run has matched the recording from start to end; else
    // what differed, or where a recording cut short ended.
    std::optional<std::string> verdict() const;
    // nullopt unless sector reads were answered with zeros because the
    // recording holds only their digests: then what to tell, naming `file`.
    std::optional<std::string> warning(const std::filesystem::path& file) const;

private:
    // The next recorded open or exchange, null at the end; skips the other lines.
    const JsonFields* nextStrict();
    // Ends the replay: the run sent `sent` where the recording holds `recorded` (null: its end).
    void diverge(const JsonFields* recorded, const std::string& sent);
    std::string position() const;

    mutable std::mutex m_mutex;
    const RecordedSession m_session;
    const bool m_keepTiming;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    std::size_t m_next = 0;
    std::uint64_t m_lastExchange = 0;  // the number of exchanges answered
    std::uint64_t m_unknownSectors = 0;  // sectors read that the recording holds only digests of
    std::optional<std::string> m_failure;
    SectorMirror m_written;
};

}  // namespace ib::record

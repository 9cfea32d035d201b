// A recording of one session with a recorder: every exchange at the
// pass-through seam and the events around it (volumes opened and closed, the
// USB device list, arrival and removal notifications, the recorder's restart
// into the updater), one JSON line each, written as they happen.
//
// The first line names the format and its version:
//   {"format":"imageburner-recording","version":1,"data":"hash"}
// A "devices" line holds the USB device list, "instanceIds" and "portPaths";
// an "open" line the volume's "portPath" ("" where the system tells none).
// An exchange line holds, in order: its number "n", "t" (ms since the
// start), the volume's "letter", the command block "cdb", "dir"
// (none/in/out), the requested "length", "timeout" and "kind"; the data sent
// as "sent" (hex) or "sentSha256"; the outcome "completed", "status",
// "sense", "transferred"; the data received as "received" (hex) or
// "receivedSha256"; and "ms", how long the exchange took. Data sent and
// sector reads are kept whole only when the recording is made with full data.
// The last line, {"event":"end"}, tells a finished recording from one cut short.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "device/sector.h"

#include "record/recording_file.h"
#include "seams/pass_through.h"
#include "seams/usb_storage_enumeration.h"

namespace ib::record {

inline constexpr const char* kRecordingFormat = "imageburner-recording";
inline constexpr int kRecordingVersion = 1;
// The longest line a recording holds: an exchange of the largest data phase
// kept whole as hex, with room for its other fields and for a long USB device list.
inline constexpr std::size_t kLongestRecordedLine = 2 * kMaxTransferBytes + 32 * 1024;

// Told once, the moment a line cannot be written, what a person should read.
using RecordingStopped = std::function<void(const std::string& message)>;

class Recording {
public:
    // Null with `error` set when the file cannot be made, or when it exists
    // and is not a recording (an earlier recording is replaced, nothing else).
    static std::unique_ptr<Recording> create(const std::filesystem::path& file, bool fullData, std::string& error,
                                             RecordingStopped stopped = {});
    ~Recording();  // writes the end line
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    // `portPath` is where the recorder sits on the USB bus, "" when the
    // volume's carrier does not tell.
    void volumeOpened(char letter, bool opened, const std::string& name, const std::string& whyNot,
                      const std::string& portPath);
    void volumeClosed(char letter);
    // `sentDigest`: the SHA-256 of the data sent when the caller took it already.
    void exchange(char letter, const ScsiRequest& request, const ScsiOutcome& outcome, double startedMs,
                  double tookMs, const std::string& sentDigest = "");
    // Whether the data sent is kept whole rather than as its digest.
    bool keepsDataSent() const { return m_fullData; }
    // The list as the system gave it, then a line for each recorder in it:
    // its port path, serial number and mode (boot ROM, updater, card reader).
    void deviceList(const UsbStorageList& list);
    void deviceEvent(const DeviceEvent& event);
    // Milliseconds since the recording started.
    double elapsedMs() const;
    // Once a line could not be written (the disk is full, ...): "Recording
    // stopped after exchange N: <the system's reason>; the operation goes on".
    std::optional<std::string> stopped() const;

private:
    Recording(std::unique_ptr<LineWriter> writer, bool fullData, RecordingStopped stopped);
    // `exchange`: the number of the exchange the line holds, 0 for an event.
    void write(const std::string& line, std::uint64_t exchange = 0);

    mutable std::mutex m_mutex;
    std::unique_ptr<LineWriter> m_writer;
    const bool m_fullData;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    const RecordingStopped m_onStopped;
    std::uint64_t m_exchanges = 0;  // numbered so far
    std::uint64_t m_written = 0;    // the last exchange whose line is in the file
    std::optional<std::string> m_stopped;
};

// The seam decorators that feed a recording; each passes every call on to
// the carrier it wraps unchanged.
class RecordingVolumes final : public VolumeProvider {
public:
    RecordingVolumes(VolumeProvider& carrier, Recording& recording) : m_carrier(carrier), m_recording(recording) {}
    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot) override;
    std::string volumeName(char letter) const override { return m_carrier.volumeName(letter); }
    std::string volumePort(char letter) const override { return m_carrier.volumePort(letter); }

private:
    VolumeProvider& m_carrier;
    Recording& m_recording;
};

class RecordingDeviceList final : public UsbStorageEnumerator {
public:
    RecordingDeviceList(UsbStorageEnumerator& system, Recording& recording) : m_system(system), m_recording(recording) {}
    UsbStorageList presentDevices() override;

private:
    UsbStorageEnumerator& m_system;
    Recording& m_recording;
};

class RecordingDeviceEvents final : public DeviceEventSource {
public:
    RecordingDeviceEvents(DeviceEventSource& system, Recording& recording) : m_system(system), m_recording(recording) {}
    bool registerClass(InterfaceClass cls) override { return m_system.registerClass(cls); }
    void start(Sink sink) override;
    void stop() override { m_system.stop(); }

private:
    DeviceEventSource& m_system;
    Recording& m_recording;
};

}  // namespace ib::record

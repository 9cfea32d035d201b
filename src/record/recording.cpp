// Writing a recording. See recording.h.
#include "record/recording.h"

#include <algorithm>

#include "device/recorder_roster.h"
#include "device/vendor_command.h"
#include "record/digest_worker.h"
#include "record/hex_text.h"
#include "record/json_line.h"
#include "record/line_reader.h"
#include "record/recording_reader.h"
#include "record/sha256.h"
#include "seams/utf8_path.h"

namespace ib::record {
namespace {

const char* directionName(DataDirection direction) {
    switch (direction) {
    case DataDirection::In: return "in";
    case DataDirection::Out: return "out";
    case DataDirection::None: break;
    }
    return "none";
}

bool isSectorRead(std::span<const std::uint8_t> cdb) {
    return hasVendorSignature(cdb) && cdb[3] == static_cast<std::uint8_t>(VendorCode::ReadSectors);
}

bool isUpdaterStart(std::span<const std::uint8_t> cdb) {
    return hasVendorSignature(cdb) && cdb[3] == static_cast<std::uint8_t>(VendorCode::StartDownloaded);
}

// Data whole, or its digest when the recording keeps only digests of it.
void addData(JsonLine& line, const char* name, std::span<const std::uint8_t> data, bool whole) {
    if (whole) line.text(name, toHex(data));
    else line.text(std::string(name) + "Sha256", sha256Hex(data));
}

std::string eventName(std::uint32_t type) {
    if (type == kDeviceArrival) return "arrival";
    if (type == kDeviceRemoveComplete) return "removal";
    return std::to_string(type);
}

// "" when `file` may be written: it is new, empty, or an earlier recording.
std::string whyNotReplaced(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return "";
    const std::string refused = utf8FromPath(file) + " exists and is not a recording; it is left as it is (remove it "
                                                "or name another file)";
    if (!std::filesystem::is_regular_file(file, error)) return refused;
    if (std::filesystem::file_size(file, error) == 0 && !error) return "";
    std::string unread;
    const std::unique_ptr<ByteReader> bytes = ByteReader::open(file, unread);
    if (!bytes) return unread;
    LineReader lines(*bytes, kLongestRecordedLine);
    std::string first;
    return lines.next(first) == LineReader::Result::Line && isRecordingHeader(first) ? "" : refused;
}

}  // namespace

std::unique_ptr<Recording> Recording::create(const std::filesystem::path& file, bool fullData, std::string& error,
                                             RecordingStopped stopped) {
    error = whyNotReplaced(file);
    if (!error.empty()) return nullptr;
    auto writer = LineWriter::create(file, error);
    if (!writer) return nullptr;
    std::string whyNot;
    const std::string header = JsonLine()
                                   .text("format", kRecordingFormat)
                                   .number("version", kRecordingVersion)
                                   .text("data", fullData ? "full" : "hash")
                                   .finished();
    if (!writer->writeLine(header, whyNot)) {
        error = "Cannot write the recording " + utf8FromPath(file) + ": " + whyNot;
        return nullptr;
    }
    return std::unique_ptr<Recording>(new Recording(std::move(writer), fullData, std::move(stopped)));
}

Recording::Recording(std::unique_ptr<LineWriter> writer, bool fullData, RecordingStopped stopped)
    : m_writer(std::move(writer)), m_fullData(fullData), m_onStopped(std::move(stopped)) {}

Recording::~Recording() { write(JsonLine().text("event", "end").milliseconds("t", elapsedMs()).finished()); }

double Recording::elapsedMs() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start).count();
}

std::optional<std::string> Recording::stopped() const {
    std::lock_guard lock(m_mutex);
    return m_stopped;
}

void Recording::write(const std::string& line, std::uint64_t exchange) {
    std::string message;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) return;
        std::string whyNot;
        if (m_writer->writeLine(line, whyNot)) {
            m_written = std::max(m_written, exchange);
            return;
        }
        m_stopped = message = "Recording stopped after exchange " + std::to_string(m_written) + ": " + whyNot +
                              "; the operation goes on";
    }
    if (m_onStopped) m_onStopped(message);
}

void Recording::volumeOpened(char letter, bool opened, const std::string& name, const std::string& whyNot,
                             const std::string& portPath) {
    JsonLine line;
    line.text("event", "open").milliseconds("t", elapsedMs()).text("letter", std::string(1, letter));
    line.flag("opened", opened).text("name", name).text("portPath", portPath);
    if (!opened) line.text("whyNot", whyNot);
    write(line.finished());
}

void Recording::volumeClosed(char letter) {
    write(JsonLine().text("event", "close").milliseconds("t", elapsedMs()).text("letter", std::string(1, letter)).finished());
}

void Recording::exchange(char letter, const ScsiRequest& request, const ScsiOutcome& outcome, double startedMs,
                         double tookMs, const std::string& sentDigest) {
    JsonLine line;
    std::uint64_t number = 0;
    {
        std::lock_guard lock(m_mutex);
        number = ++m_exchanges;
    }
    line.number("n", number);
    line.milliseconds("t", startedMs).text("letter", std::string(1, letter)).text("cdb", toHex(request.cdb));
    line.text("dir", directionName(request.direction)).number("length", request.data.size());
    line.number("timeout", request.timeoutSeconds).text("kind", request.kind == TransferKind::Direct ? "direct" : "buffered");
    if (request.direction == DataDirection::Out && !sentDigest.empty()) line.text("sentSha256", sentDigest);
    else if (request.direction == DataDirection::Out) addData(line, "sent", request.data, m_fullData);
    line.flag("completed", outcome.completed).number("status", outcome.status).text("sense", toHex(outcome.sense));
    line.number("transferred", outcome.transferred);
    if (request.direction == DataDirection::In)
        addData(line, "received", request.data, m_fullData || !isSectorRead(request.cdb));
    write(line.milliseconds("ms", tookMs).finished(), number);
    if (outcome.completed && isUpdaterStart(request.cdb))
        write(JsonLine().text("event", "restart").milliseconds("t", elapsedMs()).text("letter", std::string(1, letter)).finished());
}

void Recording::deviceList(const UsbStorageList& list) {
    write(JsonLine()
              .text("event", "devices")
              .milliseconds("t", elapsedMs())
              .flag("available", list.available)
              .texts("instanceIds", list.instanceIds)
              .texts("portPaths", {list.portPaths.begin(), list.portPaths.end()})
              .finished());
    for (const RecorderEntry& recorder : recordersIn(list))
        write(JsonLine()
                  .text("event", "recorder")
                  .text("portPath", recorder.portPath)
                  .text("serial", recorder.serial)
                  .text("mode", listedModeName(recorder.mode))
                  .finished());
}

void Recording::deviceEvent(const DeviceEvent& event) {
    write(JsonLine()
              .text("event", eventName(event.eventType))
              .milliseconds("t", elapsedMs())
              .number("deviceType", event.deviceType)
              .text("name", event.interfaceName)
              .finished());
}

namespace {

class RecordingHandle final : public VolumeHandle {
public:
    RecordingHandle(std::unique_ptr<VolumeHandle> carrier, char letter, Recording& recording)
        : m_carrier(std::move(carrier)), m_letter(letter), m_recording(recording) {}
    ~RecordingHandle() override {
        m_carrier.reset();
        m_recording.volumeClosed(m_letter);
    }
    RecordingHandle(const RecordingHandle&) = delete;
    RecordingHandle& operator=(const RecordingHandle&) = delete;

    ScsiOutcome send(const ScsiRequest& request) override {
        // The digest of the data sent is taken while the recorder receives it.
        const bool digestSent = request.direction == DataDirection::Out && !m_recording.keepsDataSent();
        if (digestSent) {
            if (!m_digests) m_digests = std::make_unique<DigestWorker>();
            m_digests->start(request.data);
        }
        const double started = m_recording.elapsedMs();
        ScsiOutcome outcome = m_carrier->send(request);
        const double took = m_recording.elapsedMs() - started;
        m_recording.exchange(m_letter, request, outcome, started, took, digestSent ? m_digests->result() : "");
        return outcome;
    }
    std::shared_ptr<const void> recorderClaim() const override { return m_carrier->recorderClaim(); }
    StorageWrites prepareStorageWrites(std::string& whyNot) override { return m_carrier->prepareStorageWrites(whyNot); }
    bool unmountStorage(std::string& whyNot) override { return m_carrier->unmountStorage(whyNot); }

private:
    std::unique_ptr<VolumeHandle> m_carrier;
    const char m_letter;
    Recording& m_recording;
    std::unique_ptr<DigestWorker> m_digests;  // made with the first data sent
};

}  // namespace

std::unique_ptr<VolumeHandle> RecordingVolumes::openVolume(char letter, std::string* whyNot) {
    std::string reason;
    auto handle = m_carrier.openVolume(letter, &reason);
    if (whyNot) *whyNot = reason;
    m_recording.volumeOpened(letter, handle != nullptr, m_carrier.volumeName(letter), reason,
                             m_carrier.volumePort(letter));
    if (!handle) return nullptr;
    return std::make_unique<RecordingHandle>(std::move(handle), letter, m_recording);
}

UsbStorageList RecordingDeviceList::presentDevices() {
    UsbStorageList list = m_system.presentDevices();
    m_recording.deviceList(list);
    return list;
}

void RecordingDeviceEvents::start(Sink sink) {
    m_system.start([this, sink = std::move(sink)](const DeviceEvent& event) {
        m_recording.deviceEvent(event);
        sink(event);
    });
}

}  // namespace ib::record

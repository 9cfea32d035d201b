// Answering from a recording. See replay.h.
#include "record/replay.h"

#include <algorithm>
#include <thread>

#include "device/sector.h"
#include "record/hex_text.h"
#include "record/json_line.h"
#include "record/recording_file.h"
#include "record/sha256.h"
#include "seams/utf8_path.h"

namespace ib::record {
namespace {

// Data longer than this shows in a difference as its digest.
constexpr std::size_t kLongestShownHex = 128;

bool isExchange(const JsonFields& entry) { return entry.contains("n"); }
bool isOpen(const JsonFields& entry) { return fieldText(entry, "event") == "open"; }

std::string openLine(const std::string& letter) {
    return JsonLine().text("event", "open").text("letter", letter).finished();
}

const char* directionName(DataDirection direction) {
    return direction == DataDirection::In ? "in" : direction == DataDirection::Out ? "out" : "none";
}

// The data sent as the recorded line shows it: whole while short and recorded whole, else its digest.
void addSent(JsonLine& line, const JsonFields& recorded, std::span<const std::uint8_t> sent) {
    const std::string whole = fieldText(recorded, "sent");
    if (!recorded.contains("sent") || whole.size() > kLongestShownHex) line.text("sentSha256", sha256Hex(sent));
    else line.text("sent", toHex(sent));
}

// The parts of an exchange that the program decides, from a recorded line.
std::string recordedRequest(const JsonFields& recorded) {
    JsonLine line;
    line.digits("n", fieldText(recorded, "n")).text("letter", fieldText(recorded, "letter"));
    line.text("cdb", fieldText(recorded, "cdb")).text("dir", fieldText(recorded, "dir"));
    line.digits("length", fieldText(recorded, "length")).digits("timeout", fieldText(recorded, "timeout"));
    if (fieldText(recorded, "dir") == "out") {
        const std::string whole = fieldText(recorded, "sent");
        const auto bytes = fromHex(whole);
        if (!recorded.contains("sent") || whole.size() > kLongestShownHex || !bytes)
            line.text("sentSha256", recorded.contains("sent") && bytes ? sha256Hex(*bytes) : fieldText(recorded, "sentSha256"));
        else line.text("sent", whole);
    }
    return line.finished();
}

// The same parts of the exchange this run sends, shown the way `recorded` shows them.
std::string sentRequest(std::uint64_t number, const JsonFields& recorded, char letter, const ScsiRequest& request) {
    JsonLine line;
    line.number("n", number).text("letter", std::string(1, letter));
    line.text("cdb", toHex(request.cdb)).text("dir", directionName(request.direction));
    line.number("length", request.data.size()).number("timeout", request.timeoutSeconds);
    if (request.direction == DataDirection::Out) addSent(line, recorded, request.data);
    return line.finished();
}

// What the run must do next to match a recorded open or exchange.
std::string expectedLine(const JsonFields& recorded) {
    return isOpen(recorded) ? openLine(fieldText(recorded, "letter")) : recordedRequest(recorded);
}

// The data an In exchange receives: the recorded data, or for a sector read
// kept as its digest, the sectors this run wrote when they match it. nullopt
// where the recording holds only a digest that neither they nor zeros match.
std::optional<std::vector<std::uint8_t>> recordedData(const JsonFields& recorded, const ScsiRequest& request,
                                                      const SectorMirror& written) {
    if (recorded.contains("received")) return fromHex(fieldText(recorded, "received")).value_or(std::vector<std::uint8_t>{});
    const std::string digest = fieldText(recorded, "receivedSha256");
    if (const auto mirrored = written.sectorsRead(request); mirrored && sha256Hex(*mirrored) == digest) return mirrored;
    const std::vector<std::uint8_t> zeros(request.data.size());
    if (digest.empty() || sha256Hex(zeros) == digest) return zeros;
    return std::nullopt;
}

ScsiOutcome recordedOutcome(const JsonFields& recorded) {
    ScsiOutcome outcome;
    outcome.completed = fieldText(recorded, "completed") == "true";
    outcome.status = static_cast<std::uint8_t>(std::strtoul(fieldText(recorded, "status", "0").c_str(), nullptr, 10));
    outcome.sense = fromHex(fieldText(recorded, "sense")).value_or(std::vector<std::uint8_t>{});
    outcome.transferred = std::strtoull(fieldText(recorded, "transferred", "0").c_str(), nullptr, 10);
    return outcome;
}

class ReplayHandle final : public VolumeHandle {
public:
    ReplayHandle(Replay& replay, char letter) : m_replay(replay), m_letter(letter) {}
    ScsiOutcome send(const ScsiRequest& request) override { return m_replay.answer(m_letter, request); }

private:
    Replay& m_replay;
    const char m_letter;
};

}  // namespace

std::unique_ptr<Replay> Replay::load(const std::filesystem::path& file, bool keepTiming, std::string& error,
                                     const StopAsked& stopped) {
    std::optional<RecordedSession> session = readRecording(file, error, stopped);
    if (!session) return nullptr;
    return std::make_unique<Replay>(std::move(*session), keepTiming);
}

Replay::Replay(RecordedSession session, bool keepTiming) : m_session(std::move(session)), m_keepTiming(keepTiming) {}

const JsonFields* Replay::nextStrict() {
    while (m_next < m_session.entries.size()) {
        const JsonFields& entry = m_session.entries[m_next];
        if (isExchange(entry) || isOpen(entry)) return &entry;
        ++m_next;
    }
    return nullptr;
}

std::string Replay::position() const { return "after exchange " + std::to_string(m_lastExchange); }

void Replay::diverge(const JsonFields* recorded, const std::string& sent) {
    if (m_failure) return;
    if (!recorded && !m_session.finished) {
        m_failure = "Replay: the recording was cut short " + position() +
                    " (the recorded session stopped there); this run went on with\n+" + sent;
        return;
    }
    const std::string where = recorded && isExchange(*recorded)
                                  ? "exchange " + fieldText(*recorded, "n") + " differs from the recording"
                                  : "this run differs from the recording " + position();
    m_failure = "Replay: " + where + "\n--- recording\n+++ this run\n-" +
                (recorded ? expectedLine(*recorded) : "(end of the recording)") + "\n+" + sent;
}

std::unique_ptr<VolumeHandle> Replay::openVolume(char letter, std::string* whyNot) {
    std::lock_guard lock(m_mutex);
    const std::string sent = openLine(std::string(1, letter));
    const JsonFields* recorded = m_failure ? nullptr : nextStrict();
    if (!recorded || !isOpen(*recorded) || fieldText(*recorded, "letter") != std::string(1, letter)) {
        diverge(recorded, sent);
        if (whyNot) *whyNot = "the replay stopped";
        return nullptr;
    }
    ++m_next;
    if (fieldText(*recorded, "opened") != "true") {
        if (whyNot) *whyNot = fieldText(*recorded, "whyNot");
        return nullptr;
    }
    return std::make_unique<ReplayHandle>(*this, letter);
}

std::string Replay::volumeName(char letter) const {
    for (const JsonFields& entry : m_session.entries)
        if (isOpen(entry) && fieldText(entry, "letter") == std::string(1, letter)) return fieldText(entry, "name");
    return "";
}

UsbStorageList Replay::presentDevices() {
    std::lock_guard lock(m_mutex);
    const auto isList = [](const JsonFields& entry) { return fieldText(entry, "event") == "devices"; };
    const auto& entries = m_session.entries;
    const std::size_t from = std::min(m_next, entries.size());
    auto found = std::find_if(entries.begin() + static_cast<std::ptrdiff_t>(from), entries.end(), isList);
    if (found == entries.end()) {
        const auto before = std::find_if(entries.rbegin() + static_cast<std::ptrdiff_t>(entries.size() - from),
                                         entries.rend(), isList);
        if (before == entries.rend()) return {};
        found = before.base() - 1;
    }
    UsbStorageList list;
    list.available = fieldText(*found, "available") == "true";
    if (const auto ids = found->find("instanceIds"); ids != found->end()) list.instanceIds = ids->second.items;
    if (const auto ports = found->find("portPaths"); ports != found->end())
        for (const auto& port : ports->second.items) list.portPaths.push_back(port.value_or(""));
    return list;
}

std::string Replay::volumePort(char letter) const {
    // As the run saw it at this point: the letter's next recorded open, else its last one.
    std::lock_guard lock(m_mutex);
    const std::string name(1, letter);
    const auto isOpenOf = [&](const JsonFields& entry) { return isOpen(entry) && fieldText(entry, "letter") == name; };
    const auto& entries = m_session.entries;
    const std::size_t from = std::min(m_next, entries.size());
    const auto next = std::find_if(entries.begin() + static_cast<std::ptrdiff_t>(from), entries.end(), isOpenOf);
    if (next != entries.end()) return fieldText(*next, "portPath");
    const auto last = std::find_if(entries.rbegin() + static_cast<std::ptrdiff_t>(entries.size() - from),
                                   entries.rend(), isOpenOf);
    return last == entries.rend() ? "" : fieldText(*last, "portPath");
}

ScsiOutcome Replay::answer(char letter, const ScsiRequest& request) {
    std::unique_lock lock(m_mutex);
    const JsonFields* recorded = m_failure ? nullptr : nextStrict();
    if (m_failure) return {};
    const std::string sent = sentRequest(m_lastExchange + 1, recorded ? *recorded : JsonFields{}, letter, request);
    if (!recorded || !isExchange(*recorded) || recordedRequest(*recorded) != sent) {
        diverge(recorded, sent);
        return {};
    }
    ++m_next;
    ++m_lastExchange;
    m_written.noteSent(request);
    std::optional<std::vector<std::uint8_t>> received;
    if (request.direction == DataDirection::In) {
        received = recordedData(*recorded, request, m_written);
        if (!received) m_unknownSectors += (request.data.size() + kSectorSize - 1) / kSectorSize;
    }
    if (m_keepTiming) {
        const double at = std::strtod(fieldText(*recorded, "t", "0").c_str(), nullptr);
        const auto due = m_start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                       std::chrono::duration<double, std::milli>(at));
        lock.unlock();
        std::this_thread::sleep_until(due);
    }
    if (request.direction == DataDirection::In) {
        std::fill(request.data.begin(), request.data.end(), std::uint8_t{0});
        if (received) std::copy_n(received->begin(), std::min(received->size(), request.data.size()), request.data.begin());
    }
    return recordedOutcome(*recorded);
}

std::optional<std::string> Replay::verdict() const {
    std::lock_guard lock(m_mutex);
    if (m_failure) return m_failure;
    for (std::size_t i = m_next; i < m_session.entries.size(); ++i) {
        const JsonFields& entry = m_session.entries[i];
        if (isExchange(entry) || isOpen(entry))
            return "Replay: this run ended " + position() + ", the recording goes on\n--- recording\n+++ this run\n-" +
                   expectedLine(entry) +
                   "\n+(end of this run)";
    }
    if (!m_session.finished)
        return "Replay: the recording was cut short " + position() + " (the recorded session stopped there)";
    return std::nullopt;
}

std::optional<std::string> Replay::warning(const std::filesystem::path& file) const {
    std::lock_guard lock(m_mutex);
    if (m_unknownSectors == 0) return std::nullopt;
    return utf8FromPath(file) + " holds only the SHA-256 of " + std::to_string(m_unknownSectors) +
           " sectors read (it was recorded without --record-data): this replay answered them with zeros, and any "
           "file the run saved from them (BootArea.bin, UserArea.bin) holds zeros there";
}

}  // namespace ib::record

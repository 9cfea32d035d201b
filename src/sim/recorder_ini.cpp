// Writing and reading recorder.ini. See recorder_ini.h.
#include "sim/recorder_ini.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <sstream>

namespace ib::sim {
namespace {

const char* const kHeader =
    "# Simulated recorder state (imageburner). Re-read by every process that opens this\n"
    "# folder and rewritten, with these comments, whenever the state changes: edit it only\n"
    "# while no process uses the folder. Numbers are decimal or 0x-hexadecimal.\n";

std::string hex(std::uint64_t value) {
    std::ostringstream out;
    out << "0x" << std::hex << value;
    return out.str();
}

const char* boolText(bool b) { return b ? "true" : "false"; }

const char* faultKindWord(FaultKind kind) { return kind == FaultKind::CheckCondition ? "check" : "transport"; }

std::optional<FaultKind> faultKindNamed(std::string_view word) {
    for (const FaultKind kind : {FaultKind::TransportFailure, FaultKind::CheckCondition})
        if (word == faultKindWord(kind)) return kind;
    return std::nullopt;
}

std::string areaKey(std::uint8_t type, std::uint8_t area) {
    return "storage-" + std::to_string(type) + "-area-" + std::to_string(area);
}

void writeRecorderSection(std::ostream& out, const RecorderState& s) {
    out << "\n[recorder]\n"
        << "# bootrom (the boot ROM answers: Download, StartDownloaded) or updater (storage commands work)\n"
        << "mode = " << (s.mode == RecorderMode::BootRom ? "bootrom" : "updater") << "\n"
        << "# The USB port path the recorder is plugged into and the serial number it reports\n"
        << "port_path = " << s.portPath << "\n"
        << "serial = " << s.serial << "\n"
        << "# Off the bus until this wall-clock time (ms since 1970) after StartDownloaded; 0: on the bus\n"
        << "away_until_ms = " << s.awayUntilMs.value_or(0) << "\n"
        << "# How long the recorder stays off the bus after StartDownloaded\n"
        << "restart_delay_ms = " << s.restartDelayMs << "\n"
        << "# Sector of area 0 that FormatUserArea reads as the index table\n"
        << "index_table_sector = " << s.indexTableSector << "\n"
        << "# The area selected last since the updater started: none, or \"<type> <area>\"\n"
        << "# (type 0 moviNAND, 1 eSD, 2 eMMC, 3 SIF, 4 NAND; area 0 user, 1 boot)\n"
        << "selection = "
        << (s.selection ? std::to_string(s.selection->type) + " " + std::to_string(s.selection->area)
                        : "none")
        << "\n";
}

void writeAreasAndRegisters(std::ostream& out, const RecorderState& s) {
    out << "\n[areas]\n"
        << "# Size of each area in 512-byte sectors; its bytes are in storage-<type>-area-<area>.img\n";
    for (std::uint8_t t = 0; t < kStorageTypeCount; ++t)
        for (std::uint8_t a = 0; a < kAreasPerType; ++a)
            out << areaKey(t, a) << " = " << s.areaSectors[t][a] << "\n";
    out << "\n[registers]\n"
        << "# Bytes written by WriteRegister, \"address = value\"; other addresses read 0\n";
    for (const auto& [address, value] : s.registers) out << hex(address) << " = " << hex(value) << "\n";
}

void writeCounters(std::ostream& out, const Counters& c) {
    out << "\n[counters]\n"
        << "downloads = " << c.downloads << "\n"
        << "starts = " << c.starts << "\n"
        << "sessions = " << c.sessions << "\n"
        << "user_area_formats = " << c.userAreaFormats << "\n"
        << "low_level_formats = " << c.lowLevelFormats << "\n"
        << "boot_size_changes = " << c.bootSizeChanges << "\n";
}

void writeFaultsAndLatency(std::ostream& out, const Faults& f, const Latency& l) {
    out << "\n[faults]\n"
        << "# \"fail_command = <vendor code> <n> [<seen> [transport|check]]\": the n-th command with\n"
        << "# that code fails, counted from when the fault was set (<seen> of them so far); one line\n"
        << "# per fault; a fault fires once. It breaks the transport (the host's call fails), or with\n"
        << "# \"check\" the recorder answers CHECK CONDITION. Example: fail_command = 0x08 3 0 check\n";
    for (const CommandFault& c : f.failCommands)
        out << "fail_command = " << hex(c.code) << " " << c.nth << " " << c.seen << " " << faultKindWord(c.kind)
            << "\n";
    out << "# \"signal_host = <vendor code> <n> <signal number>\": the program that has the recorder\n"
        << "# receives the signal when the n-th command with that code from now on arrives; once\n";
    if (const auto& s = f.signalHost) out << "signal_host = " << hex(s->code) << " " << s->nth << " " << s->signal << "\n";
    out << "# The recorder's volume does not open (it is still listed among the USB devices)\n"
        << "open_finds_nothing = " << boolText(f.openFindsNothing) << "\n"
        << "# The recorder does not come back after StartDownloaded\n"
        << "stays_away = " << boolText(f.staysAway) << "\n"
        << "# Volumes in front of the recorder, from letter D in this order: one that does not\n"
        << "# open, one whose INQUIRY byte 3 is 0x02, one that answers INQUIRY but fails Identify\n"
        << "decoy_not_opening = " << boolText(f.decoyNotOpening) << "\n"
        << "decoy_inquiry_format_2 = " << boolText(f.decoyInquiryFormat2) << "\n"
        << "decoy_identify_fails = " << boolText(f.decoyIdentifyFails) << "\n"
        << "# Every registration for device notifications is refused\n"
        << "refuse_event_registration = " << boolText(f.refuseEventRegistration) << "\n";
    out << "\n[latency]\n"
        << "# Each command takes command_delay_us plus its data bytes at bandwidth_bytes_per_s (0: no "
           "limit)\n"
        << "command_delay_us = " << l.commandDelayUs << "\n"
        << "bandwidth_bytes_per_s = " << l.bandwidthBytesPerSecond << "\n";
}

// ---- reading ----

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool readNumber(std::string_view text, std::uint64_t max, std::uint64_t& out) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size() || value > max) return false;
    out = value;
    return true;
}

template <typename T>
bool readInto(std::string_view text, T& out) {
    std::uint64_t value = 0;
    if (!readNumber(text, static_cast<std::uint64_t>(std::numeric_limits<T>::max()), value)) return false;
    out = static_cast<T>(value);
    return true;
}

bool readBool(std::string_view text, bool& out) {
    const bool yes = text == "true" || text == "yes" || text == "1";
    const bool no = text == "false" || text == "no" || text == "0";
    if (yes || no) out = yes;
    return yes || no;
}

// One word without blanks, as a port path or a serial number is.
bool readWord(std::string_view text, std::string& out) {
    if (text.empty() || text.find_first_of(" \t") != std::string_view::npos) return false;
    out = std::string(text);
    return true;
}

// Splits "a b c" at blanks.
std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> result;
    while (!(text = trim(text)).empty()) {
        const auto end = text.find_first_of(" \t");
        result.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end);
    }
    return result;
}

bool readSelection(std::string_view text, std::optional<AreaId>& out) {
    if (text == "none") {
        out.reset();
        return true;
    }
    const auto w = words(text);
    AreaId id;
    if (w.size() != 2 || !readInto(w[0], id.type) || !readInto(w[1], id.area)) return false;
    if (id.type >= kStorageTypeCount || id.area >= kAreasPerType) return false;
    out = id;
    return true;
}

bool readFault(std::string_view text, std::vector<CommandFault>& out) {
    const auto w = words(text);
    CommandFault fault;
    if (w.size() < 2 || w.size() > 4 || !readInto(w[0], fault.code) || !readInto(w[1], fault.nth))
        return false;
    if (w.size() >= 3 && !readInto(w[2], fault.seen)) return false;
    if (w.size() == 4) {
        const auto kind = faultKindNamed(w[3]);
        if (!kind) return false;
        fault.kind = *kind;
    }
    out.push_back(fault);
    return true;
}

bool readHostSignal(std::string_view text, std::optional<HostSignal>& out) {
    const auto w = words(text);
    HostSignal armed;
    if (w.size() != 3 || !readInto(w[0], armed.code) || !readInto(w[1], armed.nth) || !readInto(w[2], armed.signal))
        return false;
    out = armed;
    return true;
}

bool readAreaSize(std::string_view key, std::string_view value, RecorderState& s) {
    for (std::uint8_t t = 0; t < kStorageTypeCount; ++t)
        for (std::uint8_t a = 0; a < kAreasPerType; ++a)
            if (key == areaKey(t, a)) return readInto(value, s.areaSectors[t][a]);
    return false;
}

using KeyReader = std::function<bool(std::string_view value, RecorderState& state)>;

const std::map<std::string, KeyReader, std::less<>>& keyReaders() {
    static const std::map<std::string, KeyReader, std::less<>> readers = {
        {"recorder.mode",
         [](std::string_view v, RecorderState& s) {
             if (v != "bootrom" && v != "updater") return false;
             s.mode = v == "bootrom" ? RecorderMode::BootRom : RecorderMode::Updater;
             return true;
         }},
        {"recorder.port_path", [](std::string_view v, RecorderState& s) { return readWord(v, s.portPath); }},
        {"recorder.serial", [](std::string_view v, RecorderState& s) { return readWord(v, s.serial); }},
        {"recorder.away_until_ms",
         [](std::string_view v, RecorderState& s) {
             std::int64_t ms = 0;
             if (!readInto(v, ms)) return false;
             s.awayUntilMs = ms ? std::optional(ms) : std::nullopt;
             return true;
         }},
        {"recorder.restart_delay_ms",
         [](std::string_view v, RecorderState& s) { return readInto(v, s.restartDelayMs); }},
        {"recorder.index_table_sector",
         [](std::string_view v, RecorderState& s) { return readInto(v, s.indexTableSector); }},
        {"recorder.selection",
         [](std::string_view v, RecorderState& s) { return readSelection(v, s.selection); }},
        {"counters.downloads",
         [](std::string_view v, RecorderState& s) { return readInto(v, s.counters.downloads); }},
        {"counters.starts",
         [](std::string_view v, RecorderState& s) { return readInto(v, s.counters.starts); }},
        {"counters.sessions",
         [](std::string_view v, RecorderState& s) { return readInto(v, s.counters.sessions); }},
        {"counters.user_area_formats",
         [](std::string_view v, RecorderState& s) { return readInto(v, s.counters.userAreaFormats); }},
        {"counters.low_level_formats",
         [](std::string_view v, RecorderState& s) { return readInto(v, s.counters.lowLevelFormats); }},
        {"counters.boot_size_changes",
         [](std::string_view v, RecorderState& s) { return readInto(v, s.counters.bootSizeChanges); }},
        {"faults.fail_command",
         [](std::string_view v, RecorderState& s) { return readFault(v, s.faults.failCommands); }},
        {"faults.signal_host",
         [](std::string_view v, RecorderState& s) { return readHostSignal(v, s.faults.signalHost); }},
        {"faults.open_finds_nothing",
         [](std::string_view v, RecorderState& s) { return readBool(v, s.faults.openFindsNothing); }},
        {"faults.stays_away",
         [](std::string_view v, RecorderState& s) { return readBool(v, s.faults.staysAway); }},
        {"faults.decoy_not_opening",
         [](std::string_view v, RecorderState& s) { return readBool(v, s.faults.decoyNotOpening); }},
        {"faults.decoy_inquiry_format_2",
         [](std::string_view v, RecorderState& s) { return readBool(v, s.faults.decoyInquiryFormat2); }},
        {"faults.decoy_identify_fails",
         [](std::string_view v, RecorderState& s) { return readBool(v, s.faults.decoyIdentifyFails); }},
        {"faults.refuse_event_registration",
         [](std::string_view v, RecorderState& s) { return readBool(v, s.faults.refuseEventRegistration); }},
        {"latency.command_delay_us",
         [](std::string_view v, RecorderState& s) { return readInto(v, s.latency.commandDelayUs); }},
        {"latency.bandwidth_bytes_per_s",
         [](std::string_view v, RecorderState& s) { return readInto(v, s.latency.bandwidthBytesPerSecond); }},
    };
    return readers;
}

// One "key = value" line of a section; false when the key is unknown or the value does not read.
bool readEntry(std::string_view section, std::string_view key, std::string_view value, RecorderState& s,
               std::string& why) {
    if (section == "areas") {
        if (readAreaSize(key, value, s)) return true;
        why = "unknown area or bad size";
        return false;
    }
    if (section == "registers") {
        std::uint32_t address = 0;
        std::uint8_t byte = 0;
        if (readInto(key, address) && readInto(value, byte)) {
            s.registers[address] = byte;
            return true;
        }
        why = "a register line is \"<address> = <byte>\"";
        return false;
    }
    const std::string qualified = std::string(section) + "." + std::string(key);
    const auto it = keyReaders().find(qualified);
    if (it == keyReaders().end()) {
        why = "unknown key '" + std::string(key) + "' in [" + std::string(section) + "]";
        return false;
    }
    if (it->second(value, s)) return true;
    why = "bad value '" + std::string(value) + "' for " + std::string(key);
    return false;
}

}  // namespace

std::string formatRecorderIni(const RecorderState& state) {
    std::ostringstream out;
    out << kHeader;
    writeRecorderSection(out, state);
    writeAreasAndRegisters(out, state);
    writeCounters(out, state.counters);
    writeFaultsAndLatency(out, state.faults, state.latency);
    return out.str();
}

bool parseRecorderIni(std::string_view text, RecorderState& state, std::string& error) {
    std::string section;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        std::string why;
        if (line.front() == '[' && line.back() == ']') {
            section = std::string(trim(line.substr(1, line.size() - 2)));
            static const char* const kSections[] = {"recorder", "areas",  "registers",
                                                    "counters", "faults", "latency"};
            if (std::find(std::begin(kSections), std::end(kSections), section) != std::end(kSections))
                continue;
            why = "unknown section [" + section + "]";
        } else if (const auto eq = line.find('='); eq == std::string_view::npos) {
            why = "expected \"key = value\"";
        } else if (section.empty()) {
            why = "key outside a section";
        } else if (readEntry(section, trim(line.substr(0, eq)), trim(line.substr(eq + 1)), state, why)) {
            continue;
        }
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    }
    return true;
}

}  // namespace ib::sim

// The person-readable account of a simulated recorder. See state_report.h.
#include "sim/state_report.h"

#include <algorithm>
#include <sstream>

#include "device/sector.h"
#include "sim/index_table_view.h"

namespace ib::sim {
namespace {

std::string hex(std::uint64_t value) {
    std::ostringstream out;
    out << "0x" << std::hex << value;
    return out.str();
}

std::string areaName(AreaId id) {
    return "storage " + std::to_string(id.type) + " (" + storageTypeName(id.type) + ") area " +
           std::to_string(id.area) + (id.area == kUserAreaIndex ? " (user)" : " (boot)");
}

void describePresence(std::ostream& out, const RecorderState& s, bool cablePlugged, std::int64_t nowMs) {
    out << "USB port: " << s.portPath << ", serial " << s.serial << "\n";
    out << "Mode: " << (s.mode == RecorderMode::BootRom ? "boot ROM" : "updater");
    if (!cablePlugged)
        out << ", unplugged\n";
    else if (!s.awayUntilMs)
        out << ", on the bus\n";
    else if (s.faults.staysAway)
        out << ", off the bus and kept away by a fault\n";
    else if (*s.awayUntilMs > nowMs)
        out << ", off the bus for " << *s.awayUntilMs - nowMs << " ms more\n";
    else
        out << ", back on the bus as soon as it is looked for\n";
    out << "Selection: " << (s.selection ? areaName(*s.selection) : std::string("none")) << "\n"
        << "Index table sector: " << s.indexTableSector << "\n"
        << "Restart delay: " << s.restartDelayMs << " ms\n";
}

void describeAreas(std::ostream& out, Simulator& sim, const RecorderState& s) {
    out << "Areas:\n";
    for (std::uint8_t t = 0; t < kStorageTypeCount; ++t) {
        for (std::uint8_t a = 0; a < kAreasPerType; ++a) {
            const AreaId id{t, a};
            const auto ranges = sim.sectorsWithData(id);
            out << "  " << areaName(id) << ": " << s.sizeOf(id) << " sectors, "
                << (ranges.empty() ? "no data" : "data in sectors " + describeSectorRanges(ranges)) << "\n";
        }
    }
}

void describeFaults(std::ostream& out, const Faults& f) {
    std::vector<std::string> items;
    for (const CommandFault& c : f.failCommands)
        items.push_back("command " + hex(c.code) + " number " + std::to_string(c.nth) +
                        (c.kind == FaultKind::CheckCondition ? " is answered CHECK CONDITION (" : " fails (") +
                        std::to_string(c.seen) + " seen)");
    if (const auto& s = f.signalHost)
        items.push_back("command " + hex(s->code) + " number " + std::to_string(s->nth) + " sends signal " +
                        std::to_string(s->signal) + " to the program");
    if (f.openFindsNothing) items.emplace_back("the recorder's volume does not open");
    if (f.staysAway) items.emplace_back("no return after StartDownloaded");
    if (f.decoyNotOpening) items.emplace_back("decoy: a volume that does not open");
    if (f.decoyInquiryFormat2) items.emplace_back("decoy: INQUIRY format 2");
    if (f.decoyIdentifyFails) items.emplace_back("decoy: fails Identify");
    if (f.refuseEventRegistration) items.emplace_back("device notifications refused");
    out << "Faults:" << (items.empty() ? " none" : "") << "\n";
    for (const auto& item : items) out << "  " << item << "\n";
}

void describeIndexTable(std::ostream& out, AreaId id, std::uint32_t sector,
                        std::span<const std::uint8_t> bytes) {
    const IndexTableView table = decodeIndexTable(bytes);
    out << "Index table in " << areaName(id) << " at sector " << sector << ": ";
    if (table.hasBothMagics())
        out << "magic ok";
    else
        out << "magic BAD (" << hex(table.headMagic) << " at 0, " << hex(table.tailMagic) << " at 508)";
    out << ", storage marker " << table.storageMarker << "\n";
    if (!table.hasBothMagics()) return;  // not a table: its "entries" would be noise
    for (std::size_t k = 0; k < kIndexTableEntries; ++k) {
        const IndexTableEntry& e = table.entries[k];
        if (!e.listsSectors()) continue;
        out << "  entry " << k << ": start " << e.start << ", count " << e.count << ", attributes "
            << hex(e.attributes) << "\n";
    }
}

// The configured index table sector, and any other sector that starts a run of
// data and holds both magic words (a burn whose table lies elsewhere, such as
// serial flash with its table behind the boot code).
void describeIndexTables(std::ostream& out, Simulator& sim, const RecorderState& s) {
    for (std::uint8_t t = 0; t < kStorageTypeCount; ++t) {
        for (std::uint8_t a = 0; a < kAreasPerType; ++a) {
            const AreaId id{t, a};
            if (s.indexTableSector < s.sizeOf(id)) {
                const auto bytes = sim.readArea(id, s.indexTableSector, 1);
                if (!std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; }))
                    describeIndexTable(out, id, s.indexTableSector, bytes);
            }
            for (const auto& range : sim.sectorsWithData(id)) {
                if (range.first == s.indexTableSector) continue;
                const auto bytes = sim.readArea(id, range.first, 1);
                if (decodeIndexTable(bytes).hasBothMagics())
                    describeIndexTable(out, id, static_cast<std::uint32_t>(range.first), bytes);
            }
        }
    }
}

}  // namespace

std::string describeSectorRanges(const std::vector<SectorRange>& ranges, std::size_t limit) {
    std::ostringstream out;
    for (std::size_t i = 0; i < ranges.size() && i < limit; ++i) {
        if (i) out << ", ";
        out << ranges[i].first;
        if (ranges[i].count > 1) out << "-" << ranges[i].first + ranges[i].count - 1;
    }
    if (ranges.size() > limit) out << " and " << ranges.size() - limit << " more ranges";
    return out.str();
}

std::string describeRecorder(Simulator& sim, std::int64_t nowMs) {
    const RecorderState s = sim.state();
    const Counters& c = s.counters;
    std::ostringstream out;
    describePresence(out, s, sim.cablePlugged(), nowMs);
    describeAreas(out, sim, s);
    out << "RAM image: " << sim.ramImage().size() << " bytes\n";
    out << "Registers:" << (s.registers.empty() ? " none" : "") << "\n";
    for (const auto& [address, value] : s.registers)
        out << "  " << hex(address) << " = " << hex(value) << "\n";
    out << "Counters: downloads " << c.downloads << ", starts " << c.starts << ", sessions " << c.sessions
        << ", user-area formats " << c.userAreaFormats << ", low-level formats " << c.lowLevelFormats
        << ", boot size changes " << c.bootSizeChanges << "\n";
    describeFaults(out, s.faults);
    out << "Latency: " << s.latency.commandDelayUs << " us per command, "
        << (s.latency.bandwidthBytesPerSecond ? std::to_string(s.latency.bandwidthBytesPerSecond) + " bytes/s"
                                              : std::string("no bandwidth limit"))
        << "\n";
    describeIndexTables(out, sim, s);
    return out.str();
}

}  // namespace ib::sim

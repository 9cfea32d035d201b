// `plan`: a dry run of the user-area configuration. It reads and places the
// partition plan with the same code the real operation uses, writes nothing,
// and prints the index table entries the plan would give.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <ostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "userarea/partition_plan.h"

namespace ib::cli {
namespace {

const char* kindName(PartitionKind kind) {
    switch (kind) {
        case PartitionKind::Fat: return "FAT";
        case PartitionKind::Raw: return "RAW";
        case PartitionKind::NoContent: break;
    }
    return "no content";
}

// The capacity and index table sector the plan is placed against: given on the
// command line, or read from the (simulated) recorder.
bool planTarget(CliSession& s, std::optional<std::uint32_t> given, std::uint32_t& capacity, IndexTableSector& sector) {
    auto& c = s.controller();
    const bool moviNand = c.m_isMoviNand != 0;
    sector = IndexTableSector::fresh();
    if (given) {
        capacity = *given;
    } else {
        if (!c.m_cmd->Open() || c.m_cmd->GetMode() != kModeUpdater) {
            s.out() << "No recorder running its updater: give --capacity SECTORS (or sync the recorder first).\n";
            return false;
        }
        if (!c.m_cmd->SelectStorage(c.m_storageType, kUserArea, capacity)) {
            s.out() << "The recorder refused to select the user area.\n";
            return false;
        }
        IndexTableSector onDevice;
        if (!moviNand && c.m_cmd->ReadSectors(c.m_mbrSector, 1, onDevice.bytes()) && onDevice.isBurnt())
            sector = onDevice;
    }
    if (moviNand) sector.setUserAreaCapacity(capacity);
    return true;
}

int plan(CliSession& s, std::optional<std::uint32_t> capacityOption) {
    auto& c = s.controller();
    auto& out = s.out();
    c.exchangeFromView(s.view());
    if (!c.selectStorageType()) {
        c.messageBox("Error 0x01: UI parameter error !");
        return 1;
    }
    std::uint32_t capacity = 0;
    IndexTableSector sector;
    if (!planTarget(s, capacityOption, capacity, sector)) return 1;
    const PlanLayout layout = c.m_isMoviNand ? PlanLayout::MoviNand : PlanLayout::Shared;
    out << "storage = " << c.m_storageName << " (" << (layout == PlanLayout::MoviNand ? "moviNAND" : "shared")
        << " layout)\ncapacity = " << capacity << " sectors\nindex_table_sector = " << c.m_mbrSector << '\n';
    std::vector<std::uint32_t> entries;
    const bool placed = c.placeUserAreaPlan(
        layout, capacity, sector, [&](const PartitionRecord& record, std::uint32_t entry, std::uint32_t) {
            out << "Part_" << entries.size() << ": " << kindName(record.kind)
                << (record.kind == PartitionKind::NoContent || record.fileName.empty() ? "" : " " + record.fileName)
                << (record.dirPath.empty() ? "" : " from folder " + record.dirPath) << '\n';
            entries.push_back(entry);
            return true;
        });
    if (!placed) {
        out << "The plan cannot be placed; nothing would be written.\n";
        return 1;
    }
    for (std::uint32_t k : entries) {
        const IndexTableEntry e = sector.entry(k);
        char line[120];
        std::snprintf(line, sizeof line, "entry %u: start %u, count %u, attributes 0x%x\n", k, e.startSector,
                      e.sectorCount, e.attributes);
        out << line;
    }
    return 0;
}

}  // namespace

void addPlanCommand(CLI::App& app, CommandContext& c) {
    auto& capacity = c.arguments.capacity;
    auto* command = app.add_subcommand("plan", "Dry run: the partition plan and the index table entries it gives");
    command->add_option("--capacity", capacity, "User-area capacity in sectors (default: ask the recorder)");
    command->callback([&c, &capacity] {
        CliSession session(c.options, c.out, c.err);
        const int failed = session.start();
        c.exitCode = failed != 0 ? failed : plan(session, capacity);
    });
}

}  // namespace ib::cli

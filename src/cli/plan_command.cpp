// `plan`: a dry run of the user-area configuration. It reads the recorder's
// user area and index table sector and places the partition plan with the
// very functions the real operation uses, so both give the same verdict;
// it writes nothing and prints the index table entries the plan would give.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <ostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/preflight_report.h"
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

// The recorder a dry run without a capacity reads: one running its updater.
bool recorderReady(CliSession& s) {
    UsbScsiCmd& cmd = s.controller().usbCmd();
    if (cmd.Open() && cmd.GetMode() == kModeUpdater) return true;
    s.out() << "No recorder running its updater: give --capacity SECTORS (or sync the recorder first).\n";
    return false;
}

void printPlacement(std::ostream& out, const PlanPreview& preview, const IndexTableSector& sector) {
    for (std::size_t i = 0; i < preview.entries.size(); ++i) {
        const PartitionRecord& record = preview.plan.records[i];
        out << "Part_" << i << ": " << kindName(record.kind)
            << (record.kind == PartitionKind::NoContent || record.fileName.empty() ? "" : " " + record.fileName)
            << (record.dirPath.empty() ? "" : " from folder " + record.dirPath) << '\n';
    }
    for (std::uint32_t k : preview.entries) {
        const IndexTableEntry e = sector.entry(k);
        char line[120];
        std::snprintf(line, sizeof line, "entry %u: start %u, count %u, attributes 0x%x\n", k, e.startSector,
                      e.sectorCount, e.attributes);
        out << line;
    }
}

// Places the plan as the user-area configuration would, against the recorder
// or, given a capacity, without one, and prints what it would write.
int plan(CliSession& s, std::optional<std::uint32_t> capacityOption) {
    auto& c = s.controller();
    auto& out = s.out();
    c.exchangeFromView(s.view());
    if (!c.selectStorageType()) {
        c.messageBox("Error 0x01: UI parameter error !");
        return 1;
    }
    if (!capacityOption && !recorderReady(s)) return 1;
    constexpr const char* kNothingWritten = "The plan cannot be placed; nothing would be written.\n";
    std::optional<PlanTarget> target = c.userAreaPlanTarget(capacityOption);
    if (!target) {
        out << kNothingWritten;
        return 1;
    }
    const bool moviNand = target->layout == PlanLayout::MoviNand;
    out << "storage = " << c.m_storageName << " (" << (moviNand ? "moviNAND" : "shared")
        << " layout)\ncapacity = " << target->capacity.value_or(0) << " sectors\nindex_table_sector = "
        << c.m_mbrSector << '\n';
    if (capacityOption && !moviNand)
        out << "Not checked without a recorder: the index table sector on the device (whether the firmware was "
               "burnt in, and where its boot images lie).\n";
    const PlanPreview preview = c.previewUserAreaPlan(*target);
    if (!preview.placed) {
        out << kNothingWritten;
        return 1;
    }
    printPlacement(out, preview, target->sector);
    return reportPreflight(out, c.configureUserAreaPreflight());
}

}  // namespace

void addPlanCommand(CLI::App& app, CommandContext& c) {
    auto& capacity = c.arguments.capacity;
    auto* command = app.add_subcommand("plan", "Dry run: the partition plan and the index table entries it gives");
    command->add_option("--capacity", capacity, "User-area capacity in sectors (default: ask the recorder)");
    command->callback([&c, &capacity] {
        CliSession session(c.options, c.out, c.err);
        // Without a capacity the plan reads a recorder, chosen as for any command; a
        // --recorder given with one is still checked, so that it never names none.
        const bool readsRecorder = !capacity || !c.options.recorderPatterns.empty();
        const int failed = session.start(readsRecorder ? RecorderUse::One : RecorderUse::None);
        c.exitCode = failed != 0 ? failed : session.checkedAgainstReplay(plan(session, capacity));
    });
}

}  // namespace ib::cli

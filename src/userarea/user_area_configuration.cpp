// Laying the partition plan down on the recorder: the index table sector's
// partition entries, and with configureUserArea each partition's content and a
// copy of the sector in "UserAreaFirstSector".
#include "bootarea/index_table_sector.h"
#include "update/image_burner_controller.h"
#include "userarea/content_fit.h"
#include "userarea/partition_plan_reader.h"
#include "userarea/plan_placement.h"
#include "userarea/plan_validation.h"

namespace ib {

std::uint32_t CImageBurnerDlg::updatePartitionSetting() { return layDownPlan(false); }

std::uint32_t CImageBurnerDlg::configureUserArea() { return layDownPlan(true); }

std::uint32_t CImageBurnerDlg::layDownPlan(bool withContent) {
    std::uint32_t capacity = 0;
    if (!m_cmd->SelectStorage(m_storageType, kUserArea, capacity)) return 0;
    const auto iniPath = configurationPath();
    if (!checkPlanFile(iniPath)) {
        messageBox(planFileOpenError(iniPath));
        return 0;
    }
    const PlanLayout layout = m_isMoviNand ? PlanLayout::MoviNand : PlanLayout::Shared;
    IndexTableSector sector;
    if (layout == PlanLayout::MoviNand) {
        sector = IndexTableSector::fresh();
        sector.setUserAreaCapacity(capacity);
    } else if (!m_cmd->ReadSectors(m_mbrSector, 1, sector.bytes()) || !sector.isBurnt()) {
        messageBox(withContent ? "Error 0x20: Please burn-in firmware first " + iniPath.string() + " \n"
                               : "Error 0x20: Please burn-in firmware first \n");
        return 0;
    }
    ContentStep content;
    if (withContent) {
        content = [this](const PartitionRecord& record, std::uint32_t, std::uint32_t start) {
            return writePartitionContent(record, start, nullptr);
        };
    }
    if (!placeUserAreaPlan(layout, capacity, sector, content)) return 0;
    if (withContent && !writeFirstSectorCopy(sector)) return 0;
    return m_cmd->WriteSectors(m_mbrSector, 1, sector.bytes()) ? 1 : 0;
}

bool CImageBurnerDlg::placeUserAreaPlan(PlanLayout layout, std::optional<std::uint32_t> capacity,
                                        IndexTableSector& sector, const ContentStep& content) {
    PartitionPlan plan = readPartitionPlan(configurationPath(), workingDirectory(), layout);
    if (capacity) resolveRestPartition(plan, *capacity);
    if (const PlanVerdict verdict = checkPlan(plan, sector, m_mbrSector); !verdict.ok()) {
        showStepMessage(describePlanVerdict(verdict));
        return false;
    }
    if (const auto tooLong = findContentTooLong(plan, workingDirectory())) {
        showStepMessage(*tooLong);
        return false;
    }
    return placePlan(plan, sector, m_mbrSector, content);
}

bool CImageBurnerDlg::writeFirstSectorCopy(const IndexTableSector& sector) {
    const auto path = workingDirectory() / "UserAreaFirstSector";
    std::ofstream copy(path, std::ios::binary | std::ios::trunc);
    copy.write(reinterpret_cast<const char*>(sector.bytes().data()), static_cast<std::streamsize>(kSectorSize));
    copy.close();
    if (copy) return true;
    messageBox("Error : cannot write " + path.string());
    return false;
}

}  // namespace ib

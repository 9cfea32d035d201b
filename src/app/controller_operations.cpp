// The controller's members under the operations' names: each takes the
// settings snapshot, builds a context with the controller as reporter and
// forwards to the operation's own function.
#include "bootarea/area_read_back.h"
#include "bootarea/boot_area_burn.h"
#include "bootarea/raw_write.h"
#include "operation/path_choosers.h"
#include "preparation/low_level_format.h"
#include "preparation/register_access.h"
#include "preparation/updater_download.h"
#include "update/full_update.h"
#include "app/image_burner_controller.h"
#include "update/sd_image.h"
#include "userarea/user_area_configuration.h"
#include "userarea/user_area_image.h"
#include "userarea/user_area_preflight.h"

namespace ib {

OperationSettings CImageBurnerDlg::settingsSnapshot() {
    OperationSettings settings;
    if (selectStorageType()) settings.storage = static_cast<StorageType>(m_storageType);
    settings.moviNandLayout = m_isMoviNand != 0;
    settings.indexTableSector = m_mbrSector;
    settings.bootSizeUnits = m_bootSize;
    settings.firmwareNumber = m_firmwareNumber;
    settings.configureBootArea = m_configBootArea == 1;
    settings.changeBootSize = m_changeBootSize == 1;
    settings.configureUserArea = m_configUserArea != 0;
    settings.bootRead = {m_bootReadAddr, m_bootReadSize};
    settings.userRead = {m_userReadAddr, m_userReadSize};
    settings.rawPath = m_rawPathEdit;
    settings.binPath = m_binPathEdit;
    settings.verifyBurns = m_verifyBurns;
    settings.workingDirectory = m_env.workingDirectory;
    return settings;
}

std::uint32_t CImageBurnerDlg::SyncDevice() {
    return withContext([](const OperationContext& ctx) { return ib::SyncDevice(ctx); });
}

std::uint32_t CImageBurnerDlg::burnBlockStorage(std::uint32_t n) {
    return withContext([n](const OperationContext& ctx) { return ib::burnBlockStorage(ctx, n); });
}

std::uint32_t CImageBurnerDlg::burnSerialFlash(std::uint32_t n, std::int32_t configureUserArea) {
    return withContext([n, configureUserArea](const OperationContext& ctx) {
        UserAreaStep configure;
        if (configureUserArea) configure = [&ctx] { return ib::configureUserArea(ctx); };
        return ib::burnSerialFlash(ctx, n, configure);
    });
}

std::uint32_t CImageBurnerDlg::updatePartitionSetting() {
    return withContext([](const OperationContext& ctx) { return ib::updatePartitionSetting(ctx); });
}

std::uint32_t CImageBurnerDlg::configureUserArea() {
    return withContext([](const OperationContext& ctx) { return ib::configureUserArea(ctx); });
}

std::uint32_t CImageBurnerDlg::onConfigureUserArea() {
    return withContext([](const OperationContext& ctx) { return ib::onConfigureUserArea(ctx); });
}

std::uint32_t CImageBurnerDlg::writeUserAreaImage(const IndexTableSector& bootImages, std::fstream& image) {
    return withContext(
        [&](const OperationContext& ctx) { return ib::writeUserAreaImage(ctx, bootImages, image); });
}

std::uint32_t CImageBurnerDlg::LowLevelFormatWorker() {
    return withContext([](const OperationContext& ctx) { return ib::LowLevelFormatWorker(ctx); });
}

std::uint32_t CImageBurnerDlg::ReadRegisterCommand() {
    return withContext([](const OperationContext& ctx) { return ib::ReadRegisterCommand(ctx); });
}

std::uint32_t CImageBurnerDlg::WriteRegisterCommand() {
    return withContext([](const OperationContext& ctx) { return ib::WriteRegisterCommand(ctx); });
}

std::uint32_t CImageBurnerDlg::readBackArea(StorageArea area) {
    return withContext([area](const OperationContext& ctx) { return ib::readBackArea(ctx, area); });
}

std::uint32_t CImageBurnerDlg::rawWrite() {
    return withContext([](const OperationContext& ctx) { return ib::rawWrite(ctx); });
}

std::uint32_t CImageBurnerDlg::createSdImage() {
    return withContext([](const OperationContext& ctx) { return ib::createSdImage(ctx); });
}

std::uint32_t CImageBurnerDlg::runFullUpdate() {
    return withContext([this](const OperationContext& ctx) { return ib::runFullUpdate(ctx, m_usbCmd); });
}

bool CImageBurnerDlg::browseRawFile() {
    return withContext(
        [](const OperationContext& ctx) { return browseForPath(ctx, RememberedPath::RawFile).has_value(); });
}

bool CImageBurnerDlg::browseBinFile() {
    return withContext(
        [](const OperationContext& ctx) { return browseForPath(ctx, RememberedPath::SdImage).has_value(); });
}

std::filesystem::path CImageBurnerDlg::firmwarePath(BurnKind kind, const std::string& name) const {
    return ib::firmwarePath(m_env.workingDirectory, kind, name);
}

std::optional<PlanTarget> CImageBurnerDlg::userAreaPlanTarget(std::optional<std::uint32_t> capacity) {
    return withContext([capacity](const OperationContext& ctx) {
        return capacity ? givenCapacityPlanTarget(ctx, *capacity)
                        : recorderPlanTarget(ctx, PlanPurpose::Configuration);
    });
}

std::vector<PreflightStep> CImageBurnerDlg::fullUpdatePreflight() {
    return withContext([](const OperationContext& ctx) {
        const std::uint32_t n = ctx.settings.firmwareCount();
        if (!ctx.settings.storage || n == 0 || n > 10) return std::vector<PreflightStep>{};
        return ib::fullUpdatePreflight(ctx, n);
    });
}

std::vector<PreflightStep> CImageBurnerDlg::configureUserAreaPreflight() {
    return withContext([](const OperationContext& ctx) { return ib::configureUserAreaPreflight(ctx); });
}

PlanPreview CImageBurnerDlg::previewUserAreaPlan(PlanTarget& target) {
    return withContext([&target](const OperationContext& ctx) { return placeUserAreaPlan(ctx, target, {}); });
}

}  // namespace ib

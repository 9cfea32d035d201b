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
    std::lock_guard lock(m_boundMutex);
    OperationSettings settings;
    if (selectStorageTypeHeld()) settings.storage = static_cast<StorageType>(m_storageType);
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

std::uint32_t CImageBurnerDlg::execute(Operation op, const OperationSettings& settings) {
    return withContext(settings, [this, op](const OperationContext& ctx) -> std::uint32_t {
        switch (op) {
            case Operation::FullUpdate: return ib::runFullUpdate(ctx, m_usbCmd);
            case Operation::Sync: return ib::SyncDevice(ctx);
            case Operation::LowLevelFormat: return ib::LowLevelFormatWorker(ctx);
            case Operation::ReadRegister: return ib::ReadRegisterCommand(ctx);
            case Operation::WriteRegister: return ib::WriteRegisterCommand(ctx);
            case Operation::ReadBootArea: return ib::readBackArea(ctx, kBootArea);
            case Operation::ReadUserArea: return ib::readBackArea(ctx, kUserArea);
            case Operation::ConfigureUserArea: return ib::onConfigureUserArea(ctx);
            case Operation::RawWrite: return ib::rawWrite(ctx);
            case Operation::CreateSdImage: return ib::createSdImage(ctx);
        }
        return 0;
    });
}

std::uint32_t CImageBurnerDlg::SyncDevice() { return execute(Operation::Sync, settingsSnapshot()); }

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
    return execute(Operation::ConfigureUserArea, settingsSnapshot());
}

std::uint32_t CImageBurnerDlg::writeUserAreaImage(const IndexTableSector& bootImages, std::fstream& image) {
    return withContext(
        [&](const OperationContext& ctx) { return ib::writeUserAreaImage(ctx, bootImages, image); });
}

std::uint32_t CImageBurnerDlg::LowLevelFormatWorker() { return execute(Operation::LowLevelFormat, settingsSnapshot()); }

std::uint32_t CImageBurnerDlg::ReadRegisterCommand() { return execute(Operation::ReadRegister, settingsSnapshot()); }

std::uint32_t CImageBurnerDlg::WriteRegisterCommand() { return execute(Operation::WriteRegister, settingsSnapshot()); }

std::uint32_t CImageBurnerDlg::readBackArea(StorageArea area) {
    return execute(area == kBootArea ? Operation::ReadBootArea : Operation::ReadUserArea, settingsSnapshot());
}

std::uint32_t CImageBurnerDlg::rawWrite() { return execute(Operation::RawWrite, settingsSnapshot()); }

std::uint32_t CImageBurnerDlg::createSdImage() { return execute(Operation::CreateSdImage, settingsSnapshot()); }

std::uint32_t CImageBurnerDlg::runFullUpdate() { return execute(Operation::FullUpdate, settingsSnapshot()); }

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

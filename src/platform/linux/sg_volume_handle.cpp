// Sending command blocks through an sg node. See sg_volume_handle.h.
#include "platform/linux/sg_volume_handle.h"

#include <scsi/sg_pt.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "platform/linux/mounted_partitions.h"
#include "platform/linux/posix_process_runner.h"
#include "platform/linux/sg_outcome.h"

namespace ib::platform {
namespace {

constexpr std::size_t kSenseAreaBytes = 32;  // fixed and descriptor sense both fit

struct PassThroughObjectDelete {
    void operator()(sg_pt_base* object) const { destruct_scsi_pt_obj(object); }
};
using PassThroughObject = std::unique_ptr<sg_pt_base, PassThroughObjectDelete>;

// The first executable `name` in PATH, else /usr/bin/`name`, where udisks puts its client.
std::filesystem::path programInPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::filesystem::path("/usr/bin") / name;
}

bool fitsPassThrough(const ScsiRequest& request) {
    return !request.cdb.empty() && request.cdb.size() <= UCHAR_MAX && request.data.size() <= INT_MAX &&
           request.timeoutSeconds <= INT_MAX;
}

// Attaches the data phase in `data`; returns the number of bytes asked for.
std::size_t attachData(sg_pt_base* object, DataDirection direction, std::span<std::uint8_t> data) {
    if (data.empty()) return 0;
    const int length = static_cast<int>(data.size());
    switch (direction) {
    case DataDirection::In:
        set_scsi_pt_data_in(object, data.data(), length);
        return data.size();
    case DataDirection::Out:
        set_scsi_pt_data_out(object, data.data(), length);
        return data.size();
    case DataDirection::None:
        break;
    }
    return 0;
}

}  // namespace

SgVolumeHandle::SgVolumeHandle(int descriptor, std::shared_ptr<RecorderLock> claim, std::filesystem::path diskSysPath)
    : m_descriptor(descriptor), m_claim(std::move(claim)), m_diskSysPath(std::move(diskSysPath)) {}

SgVolumeHandle::~SgVolumeHandle() { scsi_pt_close_device(m_descriptor); }

ScsiOutcome SgVolumeHandle::send(const ScsiRequest& request) {
    if (!fitsPassThrough(request)) return {};
    PassThroughObject object(construct_scsi_pt_obj());
    if (!object) return {};

    std::array<std::uint8_t, kSenseAreaBytes> sense{};
    set_scsi_pt_cdb(object.get(), request.cdb.data(), static_cast<int>(request.cdb.size()));
    set_scsi_pt_sense(object.get(), sense.data(), static_cast<int>(sense.size()));

    PassThroughReport report;
    report.requestedLength = attachData(object.get(), request.direction, m_transfer.stage(request.data));
    report.submitResult =
        do_scsi_pt(object.get(), m_descriptor, static_cast<int>(request.timeoutSeconds), /*verbose=*/0);
    m_transfer.finish(request.data, request.direction);
    report.resultCategory = get_scsi_pt_result_category(object.get());
    report.status = get_scsi_pt_status_response(object.get());
    report.senseArea = sense;
    report.senseLength = get_scsi_pt_sense_len(object.get());
    report.residue = get_scsi_pt_resid(object.get());
    report.osError = get_scsi_pt_os_err(object.get());
    report.transportError = get_scsi_pt_transport_err(object.get());
    return outcomeOf(report);
}

std::vector<MountedPartition> SgVolumeHandle::storageMounts() const {
    std::ifstream table("/proc/self/mountinfo");
    const std::string mountinfo{std::istreambuf_iterator<char>(table), std::istreambuf_iterator<char>()};
    return mountsOfDevices(mountinfo, diskAndPartitionNumbers(m_diskSysPath));
}

StorageWrites SgVolumeHandle::prepareStorageWrites(std::string& whyNot) {
    const auto mounts = storageMounts();
    if (mounts.empty()) return StorageWrites::Ready;
    whyNot = mountedStorageRefusal(mounts);
    return StorageWrites::Mounted;
}

bool SgVolumeHandle::unmountStorage(std::string& whyNot) {
    const std::filesystem::path udisksctl = programInPath("udisksctl");
    for (const auto& command : udisksUnmountCommands(storageMounts())) {
        const int status = PosixProcessRunner().run(udisksctl, command, {});
        if (status == 0) continue;
        whyNot = "udisksctl unmount -b " + command.back() +
                 (status < 0 ? " could not be run" : " ended with exit status " + std::to_string(status));
        return false;
    }
    return true;
}

}  // namespace ib::platform

// Windows volumes with SCSI pass-through. See scsi_volume_provider.h.
#include "platform/windows/scsi_volume_provider.h"

#include <windows.h>
#include <ntddscsi.h>
#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/windows/pass_through_result.h"
#include "platform/windows/recorder_lock_object.h"
#include "platform/windows/usb_port_location.h"
#include "platform/windows/wide_text.h"
#include "seams/administrator_rights.h"
#include "seams/system_error_text.h"

namespace ib::platform {
namespace {

constexpr std::size_t kSenseAreaBytes = 32;

// The buffered request: header, sense area, then the zeroed data area.
struct BufferedRequest {
    SCSI_PASS_THROUGH header;
    std::uint8_t sense[kSenseAreaBytes];
    std::uint8_t data[kBufferedDataBytes];
};

struct DirectRequest {
    SCSI_PASS_THROUGH_DIRECT header;
    std::uint8_t sense[kSenseAreaBytes];
};

template <typename Header>
void fillHeader(Header& header, const PassThroughFields& fields, std::span<const std::uint8_t> cdb,
                std::size_t senseOffset) {
    header.Length = sizeof(Header);
    header.TargetId = fields.targetId;
    header.CdbLength = fields.cdbLength;
    header.SenseInfoLength = kSenseInfoLength;
    header.DataIn = fields.dataIn;
    header.DataTransferLength = fields.dataTransferLength;
    header.TimeOutValue = fields.timeOutValue;
    header.SenseInfoOffset = static_cast<ULONG>(senseOffset);
    std::copy(cdb.begin(), cdb.end(), header.Cdb);
}

// A page-aligned area for direct transfers, grown as needed: the adapter's
// alignment mask is never larger than a page, so any buffer it may be handed
// satisfies it.
class PageAlignedArea {
public:
    PageAlignedArea() = default;
    ~PageAlignedArea() { release(); }
    PageAlignedArea(const PageAlignedArea&) = delete;
    PageAlignedArea& operator=(const PageAlignedArea&) = delete;

    // The area holding a copy of `data`; null when the system gives no memory.
    std::uint8_t* holding(std::span<const std::uint8_t> data) {
        if (data.size() > m_size) {
            release();
            m_area = static_cast<std::uint8_t*>(
                ::VirtualAlloc(nullptr, data.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
            m_size = m_area ? data.size() : 0;
        }
        if (m_area) std::copy(data.begin(), data.end(), m_area);
        return m_area;
    }

private:
    void release() {
        if (m_area) ::VirtualFree(m_area, 0, MEM_RELEASE);
        m_area = nullptr;
        m_size = 0;
    }

    std::uint8_t* m_area = nullptr;
    std::size_t m_size = 0;
};

bool pageAligned(const void* address) {
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    return reinterpret_cast<std::uintptr_t>(address) % system.dwPageSize == 0;
}

class ScsiVolumeHandle final : public VolumeHandle {
public:
    ScsiVolumeHandle(HANDLE volume, std::shared_ptr<RecorderLock> claim)
        : m_volume(volume), m_buffered(std::make_unique<BufferedRequest>()), m_claim(std::move(claim)) {}
    // Closing the handle also ends the volume's lock, and the system may mount it again.
    ~ScsiVolumeHandle() override { ::CloseHandle(m_volume); }

    // Locks the volume for this handle alone and takes it from the system's
    // file system, so that no cached or mounted view of it is written while
    // sectors are written underneath; both hold until the handle closes.
    [[nodiscard]] StorageWrites prepareStorageWrites(std::string& whyNot) override {
        if (m_storageTaken) return StorageWrites::Ready;
        DWORD returned = 0;
        if (!::DeviceIoControl(m_volume, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned, nullptr)) {
            whyNot = "The recorder's drive is in use by another program (" + systemErrorText(lastSystemError()) +
                     "): close the windows and programs that show its files, then try again.";
            return StorageWrites::Refused;
        }
        if (!::DeviceIoControl(m_volume, FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0, &returned, nullptr)) {
            whyNot = "The system's file system on the recorder's drive could not be dismounted (" +
                     systemErrorText(lastSystemError()) + ").";
            return StorageWrites::Refused;
        }
        m_storageTaken = true;
        return StorageWrites::Ready;
    }
    ScsiVolumeHandle(const ScsiVolumeHandle&) = delete;
    ScsiVolumeHandle& operator=(const ScsiVolumeHandle&) = delete;

    ScsiOutcome send(const ScsiRequest& request) override {
        const auto fields = passThroughFields(request);
        if (!fields) return {};
        return fields->direct ? sendDirect(request, *fields) : sendBuffered(request, *fields);
    }
    std::shared_ptr<const void> recorderClaim() const override { return m_claim; }

private:
    ScsiOutcome sendBuffered(const ScsiRequest& request, const PassThroughFields& fields) {
        BufferedRequest& r = *m_buffered;
        std::memset(&r, 0, sizeof r);
        fillHeader(r.header, fields, request.cdb, offsetof(BufferedRequest, sense));
        r.header.DataBufferOffset = offsetof(BufferedRequest, data);
        // A preset first byte in the caller's reply area travels with the request.
        if (!request.data.empty()) r.data[0] = request.data[0];
        DWORD returned = 0;
        const auto outputLength = static_cast<DWORD>(offsetof(BufferedRequest, data) + request.data.size());
        const bool ok = ::DeviceIoControl(m_volume, IOCTL_SCSI_PASS_THROUGH, &r, sizeof r.header, &r, outputLength,
                                          &returned, nullptr) != 0;
        const std::string failure = ok ? "" : systemErrorText(lastSystemError());
        if (ok) std::copy_n(r.data, request.data.size(), request.data.begin());
        return outcomeOf({ok, r.header.ScsiStatus, r.header.SenseInfoLength, r.sense, r.header.DataTransferLength,
                          request.data.size(), failure});
    }

    ScsiOutcome sendDirect(const ScsiRequest& request, const PassThroughFields& fields) {
        DirectRequest r{};
        fillHeader(r.header, fields, request.cdb, offsetof(DirectRequest, sense));
        std::uint8_t* data = request.data.empty() ? nullptr : request.data.data();
        // Direct requests only carry data out: an unaligned buffer travels as an aligned copy.
        if (data && !pageAligned(data)) data = m_aligned.holding(request.data);
        if (!request.data.empty() && !data) return {};
        r.header.DataBuffer = data;
        DWORD returned = 0;
        const bool ok = ::DeviceIoControl(m_volume, IOCTL_SCSI_PASS_THROUGH_DIRECT, &r, sizeof r, &r, sizeof r,
                                          &returned, nullptr) != 0;
        const std::string failure = ok ? "" : systemErrorText(lastSystemError());
        return outcomeOf({ok, r.header.ScsiStatus, r.header.SenseInfoLength, r.sense, r.header.DataTransferLength,
                          request.data.size(), failure});
    }

    HANDLE m_volume;
    std::unique_ptr<BufferedRequest> m_buffered;  // 64 KiB: kept off the stack
    PageAlignedArea m_aligned;
    std::shared_ptr<RecorderLock> m_claim;
    bool m_storageTaken = false;  // locked and dismounted for this handle
};

std::wstring volumePath(char letter) { return wideFromUtf8(std::string("\\\\.\\") + letter + ":"); }

// The bus the volume's disk hangs on; nullopt when the system does not say.
std::optional<STORAGE_BUS_TYPE> busTypeOf(HANDLE volume) {
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    STORAGE_DEVICE_DESCRIPTOR descriptor{};
    DWORD returned = 0;
    if (!::DeviceIoControl(volume, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &descriptor,
                           sizeof descriptor, &returned, nullptr) ||
        returned < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof descriptor.BusType)
        return std::nullopt;
    return descriptor.BusType;
}

// The text at `offset` of a descriptor of `length` bytes; empty for offset 0 or one outside it.
std::string descriptorText(const std::uint8_t* descriptor, DWORD length, DWORD offset) {
    if (offset == 0 || offset >= length) return "";
    const char* text = reinterpret_cast<const char*>(descriptor + offset);
    return std::string(text, ::strnlen(text, length - offset));
}

// The recorder as the system names its disk: vendor, product and serial
// number; the drive letter when the system does not say.
std::string recorderIdentityOf(HANDLE volume, char letter) {
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    alignas(STORAGE_DEVICE_DESCRIPTOR) std::uint8_t buffer[1024] = {};
    DWORD returned = 0;
    if (!::DeviceIoControl(volume, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, buffer, sizeof buffer,
                           &returned, nullptr) ||
        returned < sizeof(STORAGE_DEVICE_DESCRIPTOR))
        return std::string("drive-") + letter;
    const auto& descriptor = *reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(buffer);
    const std::string serial = descriptorText(buffer, returned, descriptor.SerialNumberOffset);
    if (serial.empty()) return std::string("drive-") + letter;
    return descriptorText(buffer, returned, descriptor.VendorIdOffset) + "-" +
           descriptorText(buffer, returned, descriptor.ProductIdOffset) + "-" + serial;
}

// The name a recorder's lock goes by: the USB port it is plugged into, which
// stays while the updater restarts it; else what its disk reports.
std::string lockIdentityOf(HANDLE volume, char letter) {
    return usbPortLocation(volume).value_or(recorderIdentityOf(volume, letter));
}

// Why `\\.\X:` did not open, with the system's own words.
std::string openFailureReason(char letter, DWORD error) {
    const std::string drive = std::string("drive ") + letter + ":";
    const std::string systemText = windowsErrorText(error) + " (error " + std::to_string(error) + ")";
    if (error == ERROR_ACCESS_DENIED)
        return administratorRightsMessage(drive + " refused access: " + systemText +
                                          ". SCSI pass-through needs the program to run as administrator.");
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return std::string("no volume at drive letter ") + letter;
    return drive + " does not open: " + systemText;
}

void giveReason(std::string* whyNot, std::string reason) {
    if (whyNot) *whyNot = std::move(reason);
}

}  // namespace

ScsiVolumeProvider::ScsiVolumeProvider() : m_claims(recorderLockObject) {}

std::unique_ptr<VolumeHandle> ScsiVolumeProvider::openVolume(char letter, std::string* whyNot) {
    const HANDLE volume = ::CreateFileW(volumePath(letter).c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (volume == INVALID_HANDLE_VALUE) {
        giveReason(whyNot, openFailureReason(letter, ::GetLastError()));
        return nullptr;
    }
    const auto bus = busTypeOf(volume);
    if (bus != BusTypeUsb) {
        ::CloseHandle(volume);
        giveReason(whyNot, std::string("drive ") + letter + " is not a USB disk");
        return nullptr;
    }
    // A program that cannot have the recorder sends it nothing, not even the identifying commands.
    auto claim = m_claims.claim(lockIdentityOf(volume, letter), whyNot);
    if (!claim) {
        ::CloseHandle(volume);
        return nullptr;
    }
    return std::make_unique<ScsiVolumeHandle>(volume, std::move(claim));
}

std::string ScsiVolumeProvider::volumePort(char letter) const {
    const HANDLE volume = ::CreateFileW(volumePath(letter).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    if (volume == INVALID_HANDLE_VALUE) return "";
    const std::string port = busTypeOf(volume) == BusTypeUsb ? usbPortLocation(volume).value_or("") : "";
    ::CloseHandle(volume);
    return port;
}

std::string ScsiVolumeProvider::volumeName(char letter) const {
    const std::wstring root = wideFromUtf8(std::string(1, letter) + ":\\");
    wchar_t label[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
        return "";
    const std::string name = utf8FromWide(label);
    return std::string(1, letter) + ": " + (name.empty() ? "(no label)" : name);
}

}  // namespace ib::platform

// Vendor SCSI command set over the volume provider. See usb_scsi_cmd.h.
#include "device/usb_scsi_cmd.h"

#include <algorithm>
#include <cstring>

#include "device/sector.h"
#include "seams/administrator_rights.h"
#include "seams/recorder_lock.h"

namespace ib {
namespace {

constexpr unsigned kBufferedTimeoutSeconds = 2;
constexpr unsigned kDirectTimeoutSeconds = 10;
constexpr std::uint32_t kDownloadChunkSectors = 64;
constexpr std::uint8_t kIdentifyPreset = 0x33;  // keeps an empty reply from passing the AA 55 test

constexpr std::uint8_t kInquiry[6] = {0x12, 0x00, 0x00, 0x00, 0x24, 0x00};
constexpr std::size_t kInquiryLength = 36;

Cdb16 signed_(Cdb16 block) {
    std::copy(std::begin(kVendorSignature), std::end(kVendorSignature), block.begin());
    return block;
}


}  // namespace

UsbScsiCmd::UsbScsiCmd(VolumeProvider& volumes) : m_volumes(volumes), m_replyArea(kMaxTransferBytes) {}

StatusJudgement UsbScsiCmd::exchange(VolumeHandle& volume, const ScsiRequest& request,
                                     std::uint8_t presetFirstByte) {
    StatusJudgement judgement;
    for (int sent = 0; sent < 2; ++sent) {
        if (request.kind == TransferKind::Buffered) {
            std::fill(m_replyArea.begin(), m_replyArea.end(), std::uint8_t{0});
            m_replyArea[0] = presetFirstByte;
        }
        m_lastOutcome = volume.send(request);
        judgement = judgeOutcome(m_lastOutcome, m_rule);
        if (judgement.verdict != CommandVerdict::SendOnceMore) return judgement;
    }
    // A device that reports a reset again right after one keeps failing.
    judgement.verdict = CommandVerdict::Failed;
    return judgement;
}

void UsbScsiCmd::reportRefusal(RefusalKind kind, const std::string& text) const {
    if (m_refusalObserver) m_refusalObserver(kind, text);
}

void UsbScsiCmd::reportAnswer(std::span<const std::uint8_t> cdb, const StatusJudgement& judgement) const {
    const char* name = vendorCommandName(cdb[3]);
    const std::string command = name ? name : "A command";
    if (!judgement.answer.empty())
        reportRefusal(RefusalKind::RecorderAnswer, command + " refused: " + judgement.answer);
    else if (!m_lastOutcome.callFailure.empty())  // the call failed: the recorder said nothing, the system did
        reportRefusal(RefusalKind::CallFailed, command + " failed: " + m_lastOutcome.callFailure);
}

std::uint32_t UsbScsiCmd::sendBuffered(VolumeHandle& volume, std::span<const std::uint8_t> cdb,
                                       std::span<std::uint8_t> reply, ShortReply shortReply, Judged judged,
                                       std::uint8_t presetFirstByte) {
    const std::size_t length = std::min(reply.size(), m_replyArea.size());
    ScsiRequest request{cdb, length ? DataDirection::In : DataDirection::None,
                        std::span<std::uint8_t>(m_replyArea.data(), length), kBufferedTimeoutSeconds,
                        TransferKind::Buffered};
    const StatusJudgement judgement = exchange(volume, request, presetFirstByte);
    if (judged == Judged::ByCallOnly) {
        if (!m_lastOutcome.completed) return 0;
    } else if (judgement.verdict != CommandVerdict::Succeeded) {
        reportAnswer(cdb, judgement);
        return 0;
    }
    if (shortReply == ShortReply::Fails && m_lastOutcome.transferred < length) return 0;
    // Exactly the asked length is handed back, whatever the device delivered.
    std::copy_n(m_replyArea.begin(), length, reply.begin());
    return 1;
}

std::uint32_t UsbScsiCmd::sendBuffered(const Cdb16& block, std::span<std::uint8_t> reply) {
    if (!m_handle) return 0;
    const Cdb16 cdb = signed_(block);
    return sendBuffered(*m_handle, cdb, reply, ShortReply::Fails, Judged::ByStatusRule);
}

std::uint32_t UsbScsiCmd::sendDirect(const Cdb16& block, std::span<const std::uint8_t> dataOut) {
    if (!m_handle) return 0;
    const Cdb16 cdb = signed_(block);
    // The carrier only reads an Out buffer; the span type is shared with In.
    std::span<std::uint8_t> data(const_cast<std::uint8_t*>(dataOut.data()), dataOut.size());
    ScsiRequest request{cdb, dataOut.empty() ? DataDirection::None : DataDirection::Out, data,
                        kDirectTimeoutSeconds, TransferKind::Direct};
    const StatusJudgement judgement = exchange(*m_handle, request, 0);
    if (judgement.verdict == CommandVerdict::Succeeded) return 1;
    reportAnswer(cdb, judgement);
    return 0;
}

std::uint32_t UsbScsiCmd::sendNoData(VendorCode code) { return sendDirect(vendorBlock(code), {}); }

bool UsbScsiCmd::storageWritable() {
    if (!m_handle || m_storageWritesPrepared) return m_storageWritesPrepared;
    std::string whyNot;
    StorageWrites state = m_handle->prepareStorageWrites(whyNot);
    if (state == StorageWrites::Mounted && m_unmountDecision && m_unmountDecision(whyNot)) {
        std::string whyNotUnmounted;
        if (m_handle->unmountStorage(whyNotUnmounted))
            state = m_handle->prepareStorageWrites(whyNot);
        else
            whyNot = "The recorder's storage could not be unmounted (" + whyNotUnmounted + "). " + whyNot;
    }
    m_storageWritesPrepared = state == StorageWrites::Ready;
    if (!m_storageWritesPrepared) reportRefusal(RefusalKind::StorageInUse, whyNot);
    return m_storageWritesPrepared;
}

bool UsbScsiCmd::acceptVolume(VolumeHandle& volume, VolumeScanReport& report) {
    std::uint8_t inquiry[kInquiryLength]{};
    report.inquiryOk = sendBuffered(volume, kInquiry, inquiry, ShortReply::Accepted, Judged::ByCallOnly) != 0;
    report.inquiryFormat = inquiry[3];
    if (!report.inquiryOk || inquiry[3] != 0x01) return false;  // response-data format must be exactly 1

    const Cdb16 cdb = signed_(vendorBlock(VendorCode::Identify));
    report.identifySent = true;
    report.identifyOk = sendBuffered(volume, cdb, report.identifyReply, ShortReply::Accepted, Judged::ByCallOnly,
                                     kIdentifyPreset) != 0;
    const auto& identify = report.identifyReply;
    if (identify[0] == 0xAA && identify[1] == 0x55) {
        if (!report.identifyOk) return false;
        m_mode = kModeBootRom;
    } else if (report.identifyOk && std::memcmp(identify.data() + 9, "QUB", 3) == 0) {
        m_mode = kModeUpdater;
    } else {
        return false;
    }
    report.mode = m_mode;
    return true;
}

void UsbScsiCmd::closeHandle() {
    if (!m_handle) return;
    if (auto claim = m_handle->recorderClaim()) m_keptClaim = std::move(claim);
    m_handle.reset();
    m_storageWritesPrepared = false;
}

std::uint32_t UsbScsiCmd::Open() {
    m_mode = kModeNone;
    m_openRefusal.clear();
    closeHandle();  // a handle from an earlier Open is closed, never leaked
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        VolumeScanReport report;
        report.letter = letter;
        auto volume = m_volumes.openVolume(letter, &report.whyNotOpened);
        report.opened = volume != nullptr;
        // A recorder another program has outweighs a volume this program may not open.
        if (isRecorderInUseMessage(report.whyNotOpened) ||
            (m_openRefusal.empty() && isAdministratorRightsMessage(report.whyNotOpened)))
            m_openRefusal = report.whyNotOpened;
        const bool accepted = volume && acceptVolume(*volume, report);
        if (m_scanObserver) m_scanObserver(report);
        if (accepted) {
            m_handle = std::move(volume);
            m_letter = letter;
            m_keptClaim.reset();  // the new handle holds its own
            m_openRefusal.clear();
            return 1;
        }
        // A rejected volume closes here, before the next letter is tried.
    }
    return 0;
}

std::uint32_t UsbScsiCmd::Download(std::uint32_t count, std::span<const std::uint8_t> data) {
    if (count == 0) return 0;
    if (data.size() < std::uint64_t{count} * kSectorSize) return 0;
    std::size_t offset = 0;
    for (std::uint32_t remaining = count; remaining > 0;) {
        const std::uint32_t chunk = std::min(remaining, kDownloadChunkSectors);
        Cdb16 block = vendorBlock(VendorCode::Download);
        putBigEndian16(block, 4, static_cast<std::uint16_t>(chunk));
        if (!sendDirect(block, data.subspan(offset, chunk * kSectorSize))) return 0;
        offset += chunk * kSectorSize;
        remaining -= chunk;
    }
    return 1;
}

std::uint32_t UsbScsiCmd::StartDownloaded() { return sendNoData(VendorCode::StartDownloaded); }

std::uint32_t UsbScsiCmd::ReadRegister(std::uint32_t address, std::uint8_t& value) {
    Cdb16 block = vendorBlock(VendorCode::ReadRegister);
    putBigEndian32(block, 4, address);
    std::uint8_t reply[1];
    if (!sendBuffered(block, reply)) return 0;
    value = reply[0];
    return 1;
}

std::uint32_t UsbScsiCmd::WriteRegister(std::uint32_t address, const std::uint8_t& value) {
    Cdb16 block = vendorBlock(VendorCode::WriteRegister);
    putBigEndian32(block, 4, address);
    block[8] = value;
    return sendDirect(block, {});
}

std::uint32_t UsbScsiCmd::SelectStorage(std::int32_t storageType, std::uint8_t area,
                                        std::uint32_t& areaSectors) {
    Cdb16 block = vendorBlock(VendorCode::SelectStorage);
    block[4] = static_cast<std::uint8_t>(storageType);
    block[5] = area;
    std::uint8_t reply[4];
    if (!sendBuffered(block, reply)) return 0;
    areaSectors = littleEndian32(reply, 0);
    return 1;
}

std::uint32_t UsbScsiCmd::ReadSectors(std::uint32_t first, std::uint32_t count,
                                      std::span<std::uint8_t> buffer) {
    // The reply area holds 128 sectors; a larger read cannot be carried.
    if (count > kMaxReadSectors || buffer.size() < std::uint64_t{count} * kSectorSize) return 0;
    Cdb16 block = vendorBlock(VendorCode::ReadSectors);
    putBigEndian32(block, 4, first);
    putBigEndian16(block, 8, static_cast<std::uint16_t>(count));
    return sendBuffered(block, buffer.first(count * kSectorSize));
}

std::uint32_t UsbScsiCmd::WriteSectors(std::uint32_t first, std::uint32_t count,
                                       std::span<const std::uint8_t> buffer) {
    // The count travels in 16 bits.
    if (count > 0xFFFF || buffer.size() < std::uint64_t{count} * kSectorSize) return 0;
    if (!storageWritable()) return 0;
    Cdb16 block = vendorBlock(VendorCode::WriteSectors);
    putBigEndian32(block, 4, first);
    putBigEndian16(block, 8, static_cast<std::uint16_t>(count));
    return sendDirect(block, buffer.first(std::size_t{count} * kSectorSize));
}

std::uint32_t UsbScsiCmd::SetBootSize(std::uint32_t sectors) {
    if (!storageWritable()) return 0;
    Cdb16 block = vendorBlock(VendorCode::SetBootSize);
    putBigEndian32(block, 4, sectors);
    return sendBuffered(block, {});
}

std::uint32_t UsbScsiCmd::FormatUserArea() {
    return storageWritable() ? sendNoData(VendorCode::FormatUserArea) : 0;
}

std::uint32_t UsbScsiCmd::Close() {
    closeHandle();
    return 1;
}

std::int32_t UsbScsiCmd::GetMode() { return m_mode; }

std::uint32_t UsbScsiCmd::LowLevelFormat() {
    return storageWritable() ? sendNoData(VendorCode::LowLevelFormat) : 0;
}

std::uint32_t UsbScsiCmd::EndSession() { return sendNoData(VendorCode::EndSession); }

}  // namespace ib

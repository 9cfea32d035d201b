// The storage command interface carried by the recorder's vendor SCSI commands.
// Finds the recorder by trying the drive letters D to Z and sends each command
// through the volume provider (the operating system's pass-through, or the
// simulated recorder).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <memory>
#include <span>
#include <vector>

#include "device/general_storage_cmd.h"
#include "device/scsi_status_rule.h"
#include "device/vendor_command.h"
#include "seams/pass_through.h"

namespace ib {

// What Open learnt about one drive letter; for diagnostics (the detect command).
struct VolumeScanReport {
    char letter = 0;
    bool opened = false;
    std::string whyNotOpened;
    bool inquiryOk = false;
    std::uint8_t inquiryFormat = 0;
    bool identifySent = false;
    bool identifyOk = false;
    std::array<std::uint8_t, 16> identifyReply{};
    std::int32_t mode = kModeNone;  // mode accepted, 0 when rejected
};

// Why a command failed when the recorder or the system said why.
enum class RefusalKind {
    RecorderAnswer,  // the recorder answered CHECK CONDITION or another status
    CallFailed,      // the system's pass-through call failed and said why
    StorageInUse,    // a file system of the system's sits on the storage to be written
};

class UsbScsiCmd final : public GeneralStorageCmd {
public:
    explicit UsbScsiCmd(VolumeProvider& volumes);

    std::uint32_t Open() override;
    std::uint32_t Download(std::uint32_t count, std::span<const std::uint8_t> data) override;
    std::uint32_t StartDownloaded() override;
    std::uint32_t ReadRegister(std::uint32_t address, std::uint8_t& value) override;
    std::uint32_t WriteRegister(std::uint32_t address, const std::uint8_t& value) override;
    std::uint32_t SelectStorage(std::int32_t storageType, std::uint8_t area,
                                std::uint32_t& areaSectors) override;
    std::uint32_t ReadSectors(std::uint32_t first, std::uint32_t count,
                              std::span<std::uint8_t> buffer) override;
    std::uint32_t WriteSectors(std::uint32_t first, std::uint32_t count,
                               std::span<const std::uint8_t> buffer) override;
    std::uint32_t SetBootSize(std::uint32_t sectors) override;
    std::uint32_t FormatUserArea() override;
    std::uint32_t Close() override;
    std::int32_t GetMode() override;
    std::uint32_t LowLevelFormat() override;
    std::string openRefusal() const override { return m_openRefusal; }

    // Closing command of a full update; not part of the storage interface.
    std::uint32_t EndSession();

    // Whether a volume is open now (for diagnostics and tests).
    bool hasHandle() const { return m_handle != nullptr; }
    // The drive letter of the volume Open accepted, 0 when none.
    char openLetter() const { return m_handle ? m_letter : 0; }
    // Called by Open for every letter it tries.
    void setScanObserver(std::function<void(const VolumeScanReport&)> observer) {
        m_scanObserver = std::move(observer);
    }
    // SCSI status and sense of the last command sent.
    const ScsiOutcome& lastOutcome() const { return m_lastOutcome; }
    // How commands after Open are judged; Open's scan keeps its own rule: the
    // call and the identifying replies decide.
    void setStatusRule(ScsiStatusRule rule) { m_rule = rule; }
    // Called with the reason, in words for the user, each time a command fails
    // because the recorder refused it or its storage may not be written now.
    void setRefusalObserver(std::function<void(RefusalKind, const std::string&)> observer) {
        m_refusalObserver = std::move(observer);
    }
    // Asked, with the refusal, whether to unmount the system's file systems
    // on the storage when they keep it from being written; unset: never.
    void setUnmountDecision(std::function<bool(const std::string& refusal)> decide) {
        m_unmountDecision = std::move(decide);
    }

private:
    // Whether a reply shorter than asked for still counts. A vendor command's
    // reply has a fixed length, and zeros standing in for missing bytes would
    // be read as an area size, a register or sector content; the identifying
    // replies have their own checks.
    enum class ShortReply { Accepted, Fails };

    // What decides a buffered request's success: the status rule, or, in
    // Open's scan, the call alone (the replies are checked there).
    enum class Judged { ByStatusRule, ByCallOnly };

    // Sends a request, once more after a UNIT ATTENTION; a buffered request's
    // reply area is zeroed, with its first byte preset, before each send.
    StatusJudgement exchange(VolumeHandle& volume, const ScsiRequest& request, std::uint8_t presetFirstByte);
    // Buffered: reply lands in a zeroed 64 KiB area, exactly `reply.size()`
    // bytes are copied out, 2-second timeout. Direct: the caller's buffer,
    // 10-second timeout.
    std::uint32_t sendBuffered(VolumeHandle& volume, std::span<const std::uint8_t> cdb,
                               std::span<std::uint8_t> reply, ShortReply shortReply, Judged judged,
                               std::uint8_t presetFirstByte = 0);
    std::uint32_t sendBuffered(const Cdb16& block, std::span<std::uint8_t> reply);
    std::uint32_t sendDirect(const Cdb16& block, std::span<const std::uint8_t> dataOut);
    std::uint32_t sendNoData(VendorCode code);
    // Whether the storage behind the open handle may be written now; asks the
    // handle once per handle, unmounts it when it is mounted and the decision
    // says so, and reports a refusal.
    [[nodiscard]] bool storageWritable();
    // Passes a failed command's reason to the observer.
    void reportRefusal(RefusalKind kind, const std::string& text) const;
    // Reports the recorder's answer to a command that failed, when it gave one.
    void reportAnswer(std::span<const std::uint8_t> cdb, const StatusJudgement& judgement) const;

    // Checks one opened volume: INQUIRY format byte 0x01, then Identify.
    bool acceptVolume(VolumeHandle& volume, VolumeScanReport& report);
    // Closes the handle, keeping its claim on the recorder.
    void closeHandle();

    VolumeProvider& m_volumes;
    std::unique_ptr<VolumeHandle> m_handle;
    // The claim of the last recorder opened, kept after its handle closed
    // until Open takes a recorder again: the updater download closes the
    // handle and the recorder comes back on a new one, and no other program
    // may take it in between.
    std::shared_ptr<const void> m_keptClaim;
    std::string m_openRefusal;
    std::int32_t m_mode = kModeNone;
    char m_letter = 0;
    std::function<void(const VolumeScanReport&)> m_scanObserver;
    ScsiOutcome m_lastOutcome;
    ScsiStatusRule m_rule = ScsiStatusRule::Checked;
    std::function<void(RefusalKind, const std::string&)> m_refusalObserver;
    std::function<bool(const std::string&)> m_unmountDecision;
    bool m_storageWritesPrepared = false;  // for the open handle
    std::vector<std::uint8_t> m_replyArea;  // reused 64 KiB reply area of buffered requests
};

}  // namespace ib

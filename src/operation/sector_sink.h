// Where the sectors of a firmware image or a partition's content go: to the
// recorder through its command object, or into an image file at the same
// sector offsets. The writers of images and content take a sink and never
// know which one they feed.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <span>

#include "device/general_storage_cmd.h"
#include "operation/operation_reporter.h"

namespace ib {

class SectorSink {
public:
    virtual ~SectorSink() = default;
    // Writes whole sectors from `firstSector` on; `showProgress` runs where
    // this sink shows progress (see each sink). false when the write failed.
    [[nodiscard]] virtual bool write(std::uint64_t firstSector, std::span<const std::uint8_t> sectors,
                                     const std::function<void()>& showProgress) = 0;
    // Tells of a failed write where the operation says nothing of its own.
    virtual void reportFailedWrite(OperationReporter& report) const = 0;
};

// The recorder. The progress comes before the write command, so that it is on
// screen while the command runs.
class DeviceSectorSink final : public SectorSink {
public:
    explicit DeviceSectorSink(GeneralStorageCmd& cmd) : m_cmd(cmd) {}
    [[nodiscard]] bool write(std::uint64_t firstSector, std::span<const std::uint8_t> sectors,
                             const std::function<void()>& showProgress) override;
    // The operation's own failure message follows.
    void reportFailedWrite(OperationReporter&) const override {}

private:
    GeneralStorageCmd& m_cmd;
};

// An image file, sector n at byte n × 512. The progress follows the write: it
// counts what the file holds.
class ImageFileSink final : public SectorSink {
public:
    explicit ImageFileSink(std::fstream& image) : m_image(image) {}
    [[nodiscard]] bool write(std::uint64_t firstSector, std::span<const std::uint8_t> sectors,
                             const std::function<void()>& showProgress) override;
    // "disk full?": nothing else explains it.
    void reportFailedWrite(OperationReporter& report) const override;

private:
    std::fstream& m_image;
};

}  // namespace ib

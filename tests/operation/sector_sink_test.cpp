// The two sector sinks: where each puts a piece and when it shows progress
// (before the command on the recorder, so it is on screen while the command
// runs; after the bytes landed in a file, so it counts what the file holds).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "operation/sector_sink.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

using Lines = std::vector<std::string>;

// Logs sector writes; every other command succeeds without a trace.
class LoggingCmd final : public GeneralStorageCmd {
public:
    explicit LoggingCmd(Lines& log) : m_log(log) {}
    std::uint32_t Open() override { return 1; }
    std::uint32_t Download(std::uint32_t, std::span<const std::uint8_t>) override { return 1; }
    std::uint32_t StartDownloaded() override { return 1; }
    std::uint32_t ReadRegister(std::uint32_t, std::uint8_t&) override { return 1; }
    std::uint32_t WriteRegister(std::uint32_t, const std::uint8_t&) override { return 1; }
    std::uint32_t SelectStorage(std::int32_t, std::uint8_t, std::uint32_t&) override { return 1; }
    std::uint32_t ReadSectors(std::uint32_t, std::uint32_t, std::span<std::uint8_t>) override { return 1; }
    std::uint32_t WriteSectors(std::uint32_t first, std::uint32_t count, std::span<const std::uint8_t>) override {
        m_log.push_back("write " + std::to_string(first) + " +" + std::to_string(count));
        return 1;
    }
    std::uint32_t SetBootSize(std::uint32_t) override { return 1; }
    std::uint32_t FormatUserArea() override { return 1; }
    std::uint32_t Close() override { return 1; }
    std::int32_t GetMode() override { return kModeUpdater; }
    std::uint32_t LowLevelFormat() override { return 1; }

private:
    Lines& m_log;
};

TEST(SectorSinks, TheRecorderShowsProgressBeforeTheWriteAndAnImageFileAfterIt) {
    const std::vector<std::uint8_t> piece(2 * 512, 0xAB);
    Lines log;
    LoggingCmd cmd(log);
    DeviceSectorSink device(cmd);
    ASSERT_TRUE(device.write(5, piece, [&] { log.push_back("progress"); }));
    EXPECT_EQ(log, (Lines{"progress", "write 5 +2"}));

    test::TempFolder folder;
    const auto path = folder / "image.bin";
    std::fstream image(path, std::ios::in | std::ios::out | std::ios::binary | std::ios::trunc);
    ImageFileSink file(image);
    std::uintmax_t heldAtProgress = 0;
    ASSERT_TRUE(file.write(3, piece, [&] {
        image.flush();
        heldAtProgress = std::filesystem::file_size(path);
    }));
    EXPECT_EQ(heldAtProgress, 5u * 512) << "sector 3 is at byte 1536; the piece ends at byte 2560";
    image.close();
    const std::string bytes = test::TempFolder::read(path);
    EXPECT_EQ(bytes.substr(0, 3 * 512), std::string(3 * 512, '\0'));
    EXPECT_EQ(bytes.substr(3 * 512), std::string(2 * 512, '\xAB'));
}

}  // namespace
}  // namespace ib

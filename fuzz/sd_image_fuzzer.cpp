// The SD-image builder on arbitrary "DiskInfo.ini" text, over a working folder
// of tiny member and content files. No recorder takes part: the command object
// refuses everything. The helper tools are replaced in process: the merge
// always succeeds, the folder packer writes a small image inside the working
// folder. Files are limited to 1 MiB per write through the file-size limit, so
// an image placed far out fails with an error instead of filling the disk.
//
// The index table sector is DEFAULT_FW's MBR and the firmware number
// DEFAULT_FW's number, as the dialog's fields would hold them.
#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "config/private_profile.h"
#include "device/general_storage_cmd.h"
#include "fuzz_support.h"
#include "operation/operation_context.h"
#include "update/sd_image.h"

namespace {

constexpr rlim_t kLargestFileBytes = 1 << 20;

class NoRecorder final : public ib::GeneralStorageCmd {
public:
    std::uint32_t Open() override { return 0; }
    std::uint32_t Download(std::uint32_t, std::span<const std::uint8_t>) override { return 0; }
    std::uint32_t StartDownloaded() override { return 0; }
    std::uint32_t ReadRegister(std::uint32_t, std::uint8_t&) override { return 0; }
    std::uint32_t WriteRegister(std::uint32_t, const std::uint8_t&) override { return 0; }
    std::uint32_t SelectStorage(std::int32_t, std::uint8_t, std::uint32_t&) override { return 0; }
    std::uint32_t ReadSectors(std::uint32_t, std::uint32_t, std::span<std::uint8_t>) override { return 0; }
    std::uint32_t WriteSectors(std::uint32_t, std::uint32_t, std::span<const std::uint8_t>) override { return 0; }
    std::uint32_t SetBootSize(std::uint32_t) override { return 0; }
    std::uint32_t FormatUserArea() override { return 0; }
    std::uint32_t Close() override { return 1; }
    std::int32_t GetMode() override { return 0; }
    std::uint32_t LowLevelFormat() override { return 0; }
};

class SilentReporter final : public ib::OperationReporter {
public:
    void setProgress(const std::string&, int, std::uint32_t, std::uint32_t) override {}
    void setProgressTextColour(std::uint32_t) override {}
    void showStepMessage(const std::string&) override {}
    void messageBox(const std::string&, ib::MessageBoxKind) override {}
    void transferProgress(std::uint64_t, std::uint64_t) override {}
    void enableOperationButtons(bool) override {}
    void refreshDevicePresence() override {}
    void setDeviceEventsEnabled(bool) override {}
    void keepStatusOnNextRemoval() override {}
    std::optional<std::string> chooseFile(const ib::FileChooserRequest&) override { return std::nullopt; }
    ib::RegisterTexts copyViewIn() override { return {}; }
    void showReadRegisterValue(const std::string&) override {}
    void shortenReadBack(ib::StorageArea, std::uint32_t) override {}
    void rememberChosenPath(ib::RememberedPath, const std::string&) override {}
};

class NoProfile final : public ib::ProfileStore {
public:
    std::string read(const std::string&, const std::string&) override { return {}; }
    bool write(const std::string&, const std::string&, const std::string&) override { return true; }
};

// The helper tools in process: "mergeimg" succeeds without writing; "TreeBaler"
// writes an image of 2 sectors where it is asked to, inside the working folder only.
class InProcessTools final : public ib::ProcessRunner {
public:
    int run(const std::filesystem::path& program, const std::vector<std::string>& arguments,
            const std::filesystem::path& workingDirectory) override {
        if (program.filename() != "TreeBaler") return 0;
        const auto image = (workingDirectory / arguments.at(1)).lexically_normal();
        const auto inside = image.lexically_relative(workingDirectory);
        if (inside.empty() || *inside.begin() == "..") return 1;
        std::ofstream out(image, std::ios::binary | std::ios::trunc);
        const std::string bytes(1024, '\xFA');
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return out ? 0 : 1;
    }
};

// The working folder with members of 700, 100 and 1100 bytes, a raw content
// file and a folder to pack, laid anew for each input: the packer may have
// written over any of them.
const std::filesystem::path& workingFolder() {
    static const std::filesystem::path folder = [] {
        const auto work = ib::fuzz::scratchFolder() / "work";
        std::filesystem::create_directories(work / "userdata");
        std::signal(SIGXFSZ, SIG_IGN);  // an over-long write fails with EFBIG instead
        const rlimit limit{kLargestFileBytes, kLargestFileBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        return work;
    }();
    for (const auto& [name, length, fill] : {std::tuple{"m0.bin", 700, 1}, std::tuple{"m1.bin", 100, 2},
                                             std::tuple{"m2.bin", 1100, 3}, std::tuple{"part.bin", 700, 7},
                                             std::tuple{"userdata/README.TXT", 10, int{'x'}}})
        ib::fuzz::writeFile(folder / name, std::vector<std::uint8_t>(length, static_cast<std::uint8_t>(fill)));
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& work = workingFolder();
    ib::fuzz::writeScratchFile("work/DiskInfo.ini", {data, size});
    const ib::PrivateProfile config = ib::PrivateProfile::parse(ib::fuzz::asText(data, size));

    ib::OperationSettings settings;
    settings.storage = ib::StorageType::SerialFlash;
    settings.indexTableSector = config.readInt("DEFAULT_FW", "MBR", 0);
    settings.firmwareNumber = config.readString("DEFAULT_FW", "number", "1", 16);
    settings.binPath = "out.bin";
    settings.workingDirectory = work;

    NoRecorder recorder;
    SilentReporter reporter;
    ib::ManualClock clock;
    NoProfile profile;
    InProcessTools tools;
    const ib::ToolLocator locate = [](const std::string& name) { return std::filesystem::path(name); };
    const auto temporary = ib::fuzz::scratchFolder() / "temporary";
    std::filesystem::create_directories(temporary);
    const std::filesystem::path packedWherePlanned;  // one session alone: images packed where the plan names them
    const ib::OperationContext ctx{recorder, reporter, {clock, profile, tools, locate, temporary, packedWherePlanned, {}},
                                   settings};
    (void)ib::createSdImage(ctx);
    return 0;
}

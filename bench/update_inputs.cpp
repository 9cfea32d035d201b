#include "update_inputs.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "seams/utf8_path.h"

namespace ib::bench {

void writePatternFile(const std::filesystem::path& path, std::uint64_t bytes, unsigned seed) {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> block(1 << 20);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& b : block) {
        x = x * 1103515245u + 12345u;
        b = static_cast<char>(x >> 16);
    }
    for (std::uint64_t left = bytes; left > 0;) {
        const auto n = static_cast<std::streamsize>(std::min<std::uint64_t>(left, block.size()));
        out.write(block.data(), n);
        left -= static_cast<std::uint64_t>(n);
    }
}

void writeText(const std::filesystem::path& path, const std::string& text) { std::ofstream(path) << text; }

void writeUpdateInputs(const std::filesystem::path& work, std::uint64_t firmwareMiB, std::uint64_t partitionMiB) {
    writePatternFile(work / pathFromUtf8("updater.bin"), 64 * 1024, 1);
    writePatternFile(work / pathFromUtf8("bootcode.bin"), kMiB / 2, 2);
    writePatternFile(work / pathFromUtf8("bootloader.bin"), kMiB / 2, 3);
    writePatternFile(work / pathFromUtf8("firmware.bin"), (firmwareMiB - 1) * kMiB, 4);
    writePatternFile(work / pathFromUtf8("data.bin"), partitionMiB * kMiB, 5);
    const std::uint64_t keepSectors = (firmwareMiB + 1) * kMiB / 512;
    writeText(work / pathFromUtf8("DiskInfo.ini"),
              "[DEFAULT_FW]\nnumber=3\nfile0=bootcode.bin\nfile1=bootloader.bin\nfile2=firmware.bin\n"
              "[User_Area_Partition]\nPartitionNumber=1\nAlignmentEnable=1\nAlignmentSize=2048\n"
              "SDKeepCodeSize=" + std::to_string(keepSectors) +
                  "\n[Part_0]\nSize=auto\nType=RAW\nRawFileName=data.bin\n");
}

}  // namespace ib::bench

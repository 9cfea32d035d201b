// The file a recording lives in: plain JSON Lines, or compressed by gzip
// (".gz", zlib) or Zstandard (".zst", libzstd) after the file name. The
// writer pushes every line through to the file at once, so a crash loses at
// most the line being written; the reader decodes what a crash left and
// stops at the cut.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ib::record {

enum class Compression { None, Gzip, Zstd };

Compression compressionFor(const std::filesystem::path& file);
// False for a compression this build leaves out (Zstandard in the Windows build).
bool compressionBuilt(Compression compression);

class LineWriter {
public:
    virtual ~LineWriter() = default;
    // Writes `line` and a line end and hands both to the system; false when that failed.
    [[nodiscard]] virtual bool writeLine(std::string_view line) = 0;
    // Null with `error` set, in words a person can act on, when the file cannot be made.
    static std::unique_ptr<LineWriter> create(const std::filesystem::path& file, std::string& error);
};

// The whole decoded text; nullopt with `error` set when the file cannot be
// opened. A compressed stream cut short yields the text before the cut.
std::optional<std::string> readRecordingText(const std::filesystem::path& file, std::string& error);

}  // namespace ib::record

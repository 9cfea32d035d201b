// mergeimg <intermediate image> <output path>: copies the intermediate SD image to the
// output path and writes "<output>.md5" beside it in the form `md5sum -c` checks. The
// digest is computed during the one copying pass, piece by piece, so images of any size
// need only a fixed buffer; both files appear under their names only once complete.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <iostream>
#include <vector>

#include "tools/md5.h"
#include "tools/pending_file.h"
#include "tools/tool_failure.h"

namespace ib::tools {
namespace {

constexpr std::size_t kCopyPieceBytes = 1024 * 1024;

// An input file descriptor closed on every path.
class InputFile {
public:
    explicit InputFile(const std::filesystem::path& path) : m_path(path) {
        m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0) throw ToolFailure(withSystemError("cannot open " + quoted(path), errno));
        struct stat info {};
        if (fstat(m_fd, &info) == 0 && S_ISDIR(info.st_mode)) {
            close(m_fd);
            throw ToolFailure(quoted(path) + " is a folder, not an image file");
        }
    }
    ~InputFile() { close(m_fd); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Fills `buffer` as far as the file allows; an empty result means the end.
    std::span<std::uint8_t> readPiece(std::span<std::uint8_t> buffer) {
        std::size_t filled = 0;
        while (filled < buffer.size()) {
            const ssize_t got = read(m_fd, buffer.data() + filled, buffer.size() - filled);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw ToolFailure(withSystemError("reading " + quoted(m_path) + " failed", errno));
            if (got == 0) break;
            filled += static_cast<std::size_t>(got);
        }
        return buffer.first(filled);
    }

private:
    std::filesystem::path m_path;
    int m_fd = -1;
};

// Copies all of `input` into `output` and returns the MD5 of the bytes copied.
Md5Digest copyWithDigest(InputFile& input, PendingFile& output) {
    std::vector<std::uint8_t> buffer(kCopyPieceBytes);
    Md5 md5;
    for (auto piece = input.readPiece(buffer); !piece.empty(); piece = input.readPiece(buffer)) {
        md5.update(piece);
        output.writeAll(piece);
    }
    return md5.finish();
}

// One line of md5sum's format for `fileName`. md5sum marks a name holding a backslash or
// a line break with a leading backslash and escapes those two characters in it.
std::string checksumLine(const std::string& hexDigest, const std::string& fileName) {
    std::string escaped;
    bool needsEscape = false;
    for (const char c : fileName) {
        if (c == '\\' || c == '\n') {
            escaped += c == '\\' ? "\\\\" : "\\n";
            needsEscape = true;
        } else {
            escaped += c;
        }
    }
    return (needsEscape ? "\\" : "") + hexDigest + "  " + escaped + "\n";
}

void mergeImage(const std::filesystem::path& intermediate, const std::filesystem::path& outputPath) {
    InputFile input(intermediate);
    PendingFile output(outputPath);
    const std::string hexDigest = toHex(copyWithDigest(input, output));

    std::filesystem::path checksumPath = output.finalPath();
    checksumPath += ".md5";
    PendingFile checksum(checksumPath);
    const std::string line = checksumLine(hexDigest, output.finalPath().filename().string());
    checksum.writeAll(std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()));
    // The image first: a checksum file is never found without the image it describes.
    output.commit();
    checksum.commit();
}

}  // namespace
}  // namespace ib::tools

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mergeimg <intermediate image> <output path>\n";
        return 2;
    }
    try {
        ib::tools::mergeImage(argv[1], argv[2]);
        return 0;
    } catch (const std::exception& failure) {
        std::cerr << "mergeimg: " << failure.what() << '\n';
        return 1;
    }
}

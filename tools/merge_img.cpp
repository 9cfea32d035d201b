// mergeimg <intermediate image> <output path>: makes the output path hold the bytes of the
// intermediate SD image and writes "<output>.md5" beside it in the form `md5sum -c`
// checks. It does the least work that gives that result: an intermediate on the output's
// file system that its caller is about to delete becomes the output by a hard link, so no
// byte is copied; otherwise the kernel copies it. The digest is computed meanwhile on a
// second thread, reading the intermediate from the page cache. Both files appear under
// their names only once complete and flushed to the disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <iostream>

#include "tools/background_digest.h"
#include "tools/md5.h"
#include "tools/pending_file.h"
#include "tools/tool_failure.h"

namespace ib::tools {
namespace {

// An input file descriptor closed on every path.
class InputFile {
public:
    explicit InputFile(const std::filesystem::path& path) : m_path(std::filesystem::absolute(path)) {
        m_fd = open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0) throw ToolFailure(withSystemError("cannot open " + quoted(path), errno));
        const bool examined = fstat(m_fd, &m_info) == 0;
        const int examineError = errno;
        if (!examined || S_ISDIR(m_info.st_mode)) {
            close(m_fd);
            throw ToolFailure(examined ? quoted(path) + " is a folder, not an image file"
                                       : withSystemError("cannot examine " + quoted(path), examineError));
        }
        posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    ~InputFile() { close(m_fd); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    int descriptor() const { return m_fd; }
    const std::filesystem::path& path() const { return m_path; }
    const struct stat& info() const { return m_info; }
    std::uint64_t size() const { return static_cast<std::uint64_t>(m_info.st_size); }

private:
    std::filesystem::path m_path;
    int m_fd = -1;
    struct stat m_info {};
};

// Whether a hard link gives exactly what a copy would: a plain file of ours, with the
// permissions a new file gets, known by no other name, in a folder where the caller can
// delete it afterwards (so the shared content does not stay reachable under two names).
bool linkGivesACopy(const InputFile& input) {
    const struct stat& info = input.info();
    return S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_uid == geteuid() &&
           (info.st_mode & 07777) == permissionsOfANewFile() &&
           access(input.path().parent_path().c_str(), W_OK) == 0;
}

// Whether `path` names the input itself (merging a file onto itself keeps it as it is).
bool isTheInput(const InputFile& input, const std::filesystem::path& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && info.st_dev == input.info().st_dev &&
           info.st_ino == input.info().st_ino;
}

void makeOutput(const InputFile& input, PendingFile& output) {
    if (linkGivesACopy(input) && !isTheInput(input, output.finalPath()) && output.shareContentOf(input.path()))
        return;
    output.appendCopyOf(input.descriptor(), input.size());
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
    BackgroundDigest digest(input.descriptor(), input.size());
    makeOutput(input, output);
    const std::string hexDigest = toHex(digest.result());

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

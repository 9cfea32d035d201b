// mergeimg <intermediate image> <output path>: makes the output path hold the bytes of the
// intermediate SD image and writes "<output>.md5" beside it in the form `md5sum -c`
// checks. It does the least work that gives that result: an intermediate on the output's
// file system that its caller is about to delete becomes the output by a hard link, so no
// byte is copied; otherwise it is copied, inside the kernel where the system can. The digest is computed meanwhile on a
// second thread, reading the intermediate from the page cache. Both files appear under
// their names only once complete and flushed to the disk.
#include <exception>
#include <iostream>

#include "seams/utf8_path.h"
#include "tools/background_digest.h"
#include "tools/md5.h"
#include "tools/pending_file.h"
#include "tools/source_file.h"
#include "tools/tool_entry.h"
#include "tools/tool_failure.h"

namespace ib::tools {
namespace {

void makeOutput(const SourceFile& input, PendingFile& output) {
    if (input.linkGivesACopy(output.finalPath()) && !input.isTheSameFileAs(output.finalPath()) && output.shareContentOf(input.path()))
        return;
    output.appendCopyOf(input, input.size());
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
    SourceFile input(intermediate);
    PendingFile output(outputPath);
    BackgroundDigest digest(input, input.size());
    makeOutput(input, output);
    const std::string hexDigest = toHex(digest.result());

    std::filesystem::path checksumPath = output.finalPath();
    checksumPath += ".md5";
    PendingFile checksum(checksumPath);
    const std::string line = checksumLine(hexDigest, utf8FromPath(output.finalPath().filename()));
    checksum.writeAll(std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()));
    // The image first: a checksum file is never found without the image it describes.
    output.commit();
    checksum.commit();
}

}  // namespace

int runTool(std::span<const std::string> arguments) {
    if (arguments.size() != 2) {
        std::cerr << "usage: mergeimg <intermediate image> <output path>\n";
        return 2;
    }
    try {
        mergeImage(pathFromUtf8(arguments[0]), pathFromUtf8(arguments[1]));
        return 0;
    } catch (const std::exception& failure) {
        std::cerr << "mergeimg: " << failure.what() << '\n';
        return 1;
    }
}

}  // namespace ib::tools

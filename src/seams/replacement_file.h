// An output file written under a temporary name beside its final path
// (".<name>.XXXXXX") and renamed over that path only once it is complete: a
// run that fails or is killed part way never leaves a partial file under the
// final name, and the earlier file stays whole until the new one is.
// Temporary names that a killed run left behind are cleared by
// removeStaleTemporaries; the helper tools name theirs with temporaryName.
// Every output of the program and the profile are written through it.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "seams/new_file.h"
#include "seams/writer_stream_buffer.h"

namespace ib {

class ReplacementFile {
public:
    // Opens a new temporary file beside the file `finalPath` names (a symbolic
    // link's target, so the link stays a link), once stale temporaries of that
    // name are gone; stream() fails when it could not.
    explicit ReplacementFile(const std::filesystem::path& finalPath);
    // Removes the temporary file unless commit() succeeded.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    bool isOpen() const { return m_file.isOpen(); }
    std::ostream& stream() { return m_stream; }
    // Flushes the file to the disk, closes it and renames it over the final
    // path, for good. false, with the temporary file removed and the final
    // path as it was, on any failure.
    [[nodiscard]] bool commit();

private:
    std::filesystem::path m_finalPath;
    std::filesystem::path m_temporaryPath;
    NewFileWriter m_file;
    WriterStreamBuffer m_buffer;
    std::ostream m_stream;
    bool m_committed = false;
};

// Replaces the file at `path` with `text` through a ReplacementFile, making
// its folder first when there is none. false on any failure.
[[nodiscard]] bool replaceFileWith(const std::filesystem::path& path, std::string_view text);

// A free temporary name for `finalPath` (".<name>." and six random letters or
// digits), one that removeStaleTemporaries recognises.
std::string temporaryName(const std::filesystem::path& finalPath);

// The file a path names: a symbolic link followed (however many in a row) to
// the path it points to, whether or not that exists; any other path as given.
std::filesystem::path linkTarget(const std::filesystem::path& path);

// Removes, from the folder of `finalPath`, temporary files of that name
// (".<name>." and six random letters or digits, optionally ".link") that nobody has
// written for an hour: what a killed run of this program or its helper tools
// left. A file still being written is younger; other names are never touched.
void removeStaleTemporaries(const std::filesystem::path& finalPath);

// The temporary files of a final path that a helper tool starts: those that
// appear after construction are removed by removeNew(), once the tool has
// ended without renaming them (it failed, or was stopped or killed).
class NewTemporaries {
public:
    explicit NewTemporaries(std::filesystem::path finalPath);
    void removeNew() const;

private:
    std::filesystem::path m_finalPath;
    std::vector<std::filesystem::path> m_before;
};

}  // namespace ib

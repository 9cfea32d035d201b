// An output file written under a temporary name beside its final path
// (".<name>.XXXXXX") and renamed over that path only once it is complete: a
// run that fails or is killed part way never leaves a partial file under the
// final name, and the earlier file stays whole until the new one is.
// Temporary names that a killed run left behind are cleared by
// removeStaleTemporaries; the helper tools and the profile use the same form.
#pragma once

#include <filesystem>
#include <fstream>
#include <vector>

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

    std::ofstream& stream() { return m_stream; }
    // Closes the file and renames it over the final path. false, with the
    // temporary file removed and the final path as it was, on any failure.
    [[nodiscard]] bool commit();

private:
    std::filesystem::path m_finalPath;
    std::filesystem::path m_temporaryPath;
    std::ofstream m_stream;
    bool m_committed = false;
};

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

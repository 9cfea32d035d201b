// The names files take inside the support bundle: a folder ("included/")
// and the file's own name, made safe to unpack on any system and unique in
// the bundle.
#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace ib::cli {

class BundleMemberNames {
public:
    // The member name for `file` under `folder` (which ends in '/'): the
    // file's name with characters that no system's folder may hold (control
    // characters, \ : * ? " < > |) as '_', and "-2", "-3", ... before the
    // extension when the name is taken already.
    std::string take(const std::string& folder, const std::filesystem::path& file);

private:
    std::set<std::string> m_taken;
};

}  // namespace ib::cli

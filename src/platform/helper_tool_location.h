// Finds the external helper tools (TreeBaler, mergeimg) by name. The tools that
// came with the program win; a copy in the working directory, which anyone who
// can write there may have put, runs only when none is installed, since the
// program may run it with administrator rights.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace ib::platform {

struct ToolSearchPlaces {
    std::filesystem::path workingDirectory;         // empty: the current directory
    std::filesystem::path executableDirectory;      // folder of the running program; empty when unknown
    std::filesystem::path installedToolsDirectory;  // where installation puts the tools
};

// The first executable file called `name` in: the executable's folder, its
// ../libexec/imageburner (an installed program) and its ../tools (a program in
// the build tree); the installed tools directory; the working directory. The
// program's own neighbours come before the configured directory so that a
// program in the build tree never runs older installed tools. nullopt: none.
std::optional<std::filesystem::path> locateTool(std::string_view name, const ToolSearchPlaces& places);

// The places of this process for a given working directory.
ToolSearchPlaces toolSearchPlaces(const std::filesystem::path& workingDirectory);

// locateTool with this process's places.
std::optional<std::filesystem::path> findHelperTool(std::string_view name,
                                                    const std::filesystem::path& workingDirectory);

}  // namespace ib::platform

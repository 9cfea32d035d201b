// Helper tools are taken from beside the program (installed or build tree),
// then from the installed directory, and from the working directory last.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/helper_tool_location.h"
#include "support/temp_folder.h"

namespace ib::platform {
namespace {

namespace fs = std::filesystem;

fs::path placeTool(const fs::path& folder, const std::string& name, bool executable = true) {
    fs::create_directories(folder);
    const auto tool = folder / name;
    std::ofstream(tool) << "#!/bin/sh\n";
    fs::permissions(tool, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
    return tool;
}

struct Layout {
    test::TempFolder root;
    ToolSearchPlaces places{root.path() / "work", root.path() / "build" / "src", root.path() / "installed"};
};

TEST(HelperToolLocation, EachPlaceIsTriedInTurn) {
    Layout layout;
    const auto working = placeTool(layout.places.workingDirectory, "mergeimg");
    EXPECT_EQ(locateTool("mergeimg", layout.places), working);

    const auto installed = placeTool(layout.places.installedToolsDirectory, "mergeimg");
    EXPECT_EQ(locateTool("mergeimg", layout.places), installed);

    const auto buildTree = placeTool(layout.root.path() / "build" / "tools", "mergeimg");
    EXPECT_EQ(locateTool("mergeimg", layout.places), buildTree);

    const auto libexec = placeTool(layout.root.path() / "build" / "libexec" / "imageburner", "mergeimg");
    EXPECT_EQ(locateTool("mergeimg", layout.places), libexec);

    const auto beside = placeTool(layout.places.executableDirectory, "mergeimg");
    EXPECT_EQ(locateTool("mergeimg", layout.places), beside);
}

TEST(HelperToolLocation, OnlyExecutableFilesCount) {
    Layout layout;
    placeTool(layout.places.workingDirectory, "TreeBaler", /*executable=*/false);
    fs::create_directories(layout.places.executableDirectory / "TreeBaler");  // a folder of that name
    EXPECT_EQ(locateTool("TreeBaler", layout.places), std::nullopt);

    const auto installed = placeTool(layout.places.installedToolsDirectory, "TreeBaler");
    EXPECT_EQ(locateTool("TreeBaler", layout.places), installed);
    EXPECT_EQ(locateTool("mergeimg", layout.places), std::nullopt);
}

}  // namespace
}  // namespace ib::platform

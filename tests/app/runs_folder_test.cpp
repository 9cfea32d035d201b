// The folders of runs on several recorders: named after their process, and
// removed by a later run once that process has ended (it was killed), never
// while it runs and never when the name is not one of ours.
#include <gtest/gtest.h>

#include "app/temporary_folder.h"
#include "seams/process_id.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

TEST(RunsFolder, OnlyThoseOfEndedProcessesAreRemoved) {
    const test::TempFolder parent;
    EXPECT_EQ(app::runsFolder(parent.path()),
              parent / ("imageburner-runs-" + std::to_string(currentProcessId())));
    // No system gives a process the largest id: 2147483647 runs nowhere.
    const struct {
        std::string name;
        bool kept;
    } folders[] = {
        {"imageburner-runs-2147483647", false},
        {"imageburner-runs-" + std::to_string(currentProcessId()), true},
        {"imageburner-runs-2147483647x", true},
        {"imageburner-runs-", true},
        {"imageburner-2147483647", true},  // another kind of folder of ours
        {"other-runs-2147483647", true},
    };
    for (const auto& f : folders) {
        fs::create_directories(parent / f.name / "0");
        parent.write(f.name + "/0/userdata.img", "image");
    }
    parent.write("imageburner-runs-2147483646", "a file, not a folder");
    app::removeStaleRunsFolders(parent.path());
    for (const auto& f : folders) EXPECT_EQ(fs::exists(parent / f.name / "0" / "userdata.img"), f.kept) << f.name;
    EXPECT_TRUE(fs::exists(parent / "imageburner-runs-2147483646"));
    app::removeStaleRunsFolders(parent / "not-there");  // nothing to do, and no throw
}

}  // namespace
}  // namespace ib

// A link of the name, even one that points nowhere, is not written through.
#include <gtest/gtest.h>

#include "seams/new_file.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

TEST(NewFile, ALinkOfTheNameIsNotFollowed) {
    test::TempFolder folder;
    fs::create_symlink(folder / "nowhere.bin", folder / "dangling.bin");
    EXPECT_FALSE(createNewFile(folder / "dangling.bin"));
    EXPECT_FALSE(fs::exists(folder / "nowhere.bin")) << "the link's target was created";
}

}  // namespace
}  // namespace ib

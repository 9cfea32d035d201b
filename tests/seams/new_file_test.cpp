// A file made anew is never one that was there before under that name.
#include <gtest/gtest.h>

#include "seams/new_file.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

TEST(NewFile, IsMadeOnlyWhereTheNameIsFree) {
    test::TempFolder folder;
    const fs::path taken = folder.write("taken.bin", "finished image");
    fs::create_directory(folder / "folder");

    EXPECT_TRUE(createNewFile(folder / "free.bin"));
    EXPECT_EQ(fs::file_size(folder / "free.bin"), 0u);
    EXPECT_FALSE(createNewFile(folder / "free.bin")) << "made twice";
    EXPECT_FALSE(createNewFile(taken));
    EXPECT_EQ(fs::file_size(taken), 14u) << "an existing file is left whole";
    EXPECT_FALSE(createNewFile(folder / "folder"));
    EXPECT_FALSE(createNewFile(folder / "missing" / "x.bin"));
}

}  // namespace
}  // namespace ib

// Input files: only regular files (directly or through a symbolic link) open;
// a named pipe is refused without being opened, so nothing waits for a writer.
#include <gtest/gtest.h>

#include "device/input_file.h"
#include "support/fifo_sentinel.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

TEST(InputFile, OnlyRegularFilesOpen) {
    test::TempFolder folder;
    const auto regular = folder.write("image.bin", "12345");
    fs::create_directory(folder / "folder.bin");
    test::FifoSentinel pipe(folder / "pipe.bin");
    fs::create_symlink(regular, folder / "link.bin");
    fs::create_symlink(folder / "pipe.bin", folder / "pipe-link.bin");
    struct Case {
        const char* name;
        bool opens;
    };
    for (const Case c : {Case{"image.bin", true}, Case{"link.bin", true}, Case{"folder.bin", false},
                         Case{"pipe.bin", false}, Case{"pipe-link.bin", false}, Case{"absent.bin", false}}) {
        auto file = openInputFile(folder / c.name);
        EXPECT_EQ(file.has_value(), c.opens) << c.name;
        if (file) {
            EXPECT_EQ(file->length, 5u) << c.name;
            std::string head(2, '\0');
            file->stream.read(head.data(), 2);
            EXPECT_EQ(head, "12") << c.name << ": positioned at the start";
        }
    }
    EXPECT_FALSE(pipe.wasOpened());
}

}  // namespace
}  // namespace ib

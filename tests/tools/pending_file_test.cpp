// The helper tools' unfinished outputs carry the program's own temporary
// names, so that what a killed tool left is cleared by the program's next run,
// also beside an output whose long name is cut inside a letter.
#include <gtest/gtest.h>

#include "seams/replacement_file.h"
#include "seams/utf8_path.h"
#include "support/temp_folder.h"
#include "tools/pending_file.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

TEST(PendingFile, EveryTemporaryIsOneTheCleanUpRecognises) {
    test::TempFolder folder;
    std::string longName = "z";  // 301 bytes: the cut at 200 falls inside a letter
    for (int i = 0; i < 150; ++i) longName += "ą";
    const auto twoHoursAgo = fs::file_time_type::clock::now() - std::chrono::hours(2);
    for (const std::string& name : {std::string("out.bin"), longName}) {
        const fs::path output = folder / name;
        for (int i = 0; i < 400; ++i) {
            fs::path temporary;
            {
                tools::PendingFile pending(output);  // removed when it goes uncommitted
                temporary = pending.temporaryPath();
            }
            fs::last_write_time(folder.write(utf8FromPath(temporary.filename()), "left by a killed tool"),
                                twoHoursAgo);
            removeStaleTemporaries(output);
            ASSERT_FALSE(fs::exists(temporary)) << utf8FromPath(temporary.filename());
        }
    }
}

}  // namespace
}  // namespace ib

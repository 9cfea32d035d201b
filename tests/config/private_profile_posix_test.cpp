// "DiskInfo.ini" that is not a regular file: named pipes and links to
// devices, which only POSIX file systems have.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <future>

#include "config/private_profile.h"
#include "support/temp_folder.h"
#include "userarea/partition_plan_reader.h"

namespace ib {
namespace {

// Whether `opens` reports the named pipe as opening; nullopt when it blocked.
// Opening a pipe for reading waits for a writer, so a writer that comes and
// goes releases a blocked reader and the test fails instead of hanging.
std::optional<bool> opensWithoutBlocking(const std::filesystem::path& pipe, const std::function<bool()>& opens) {
    using namespace std::chrono_literals;
    auto done = std::async(std::launch::async, opens);
    if (done.wait_for(5s) == std::future_status::ready) return done.get();
    std::ofstream{pipe}.close();
    done.wait();
    return std::nullopt;
}

TEST(PrivateProfileFiles, OnlyARegularFileOrALinkToOneIsRead) {
    test::TempFolder folder;
    const auto pipe = folder / "DiskInfo.ini";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(opensWithoutBlocking(pipe, [&] { return PrivateProfile::load(pipe).has_value(); }), false)
        << "a named pipe is a file that does not open";
    EXPECT_EQ(opensWithoutBlocking(pipe, [&] { return checkPlanFile(pipe); }), false)
        << "the user-area operations see it the same way";

    const auto device = folder / "device.ini";
    std::filesystem::create_symlink("/dev/null", device);
    EXPECT_FALSE(PrivateProfile::load(device).has_value()) << "a link to a device";
    const auto link = folder / "link.ini";
    std::filesystem::create_symlink(folder.write("real.ini", "[A]\nk=v\n"), link);
    EXPECT_EQ(readProfileString(link, "A", "k", "", 100), "v") << "a link to a regular file";
}

}  // namespace
}  // namespace ib

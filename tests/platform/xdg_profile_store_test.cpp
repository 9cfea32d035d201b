// The Linux settings store: remembered paths survive a new store object, a
// write replaces the whole file through a rename and leaves no temporary file,
// and the file's place follows the XDG rules.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "support/temp_folder.h"
#include "platform/linux/xdg_profile_store.h"

namespace ib::platform {
namespace {

ino_t inodeOf(const std::filesystem::path& file) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
}

std::size_t entriesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

TEST(XdgProfileStore, RememberedPathsSurviveBetweenRuns) {
    test::TempFolder folder;
    const auto file = folder.path() / "config" / "imageburner" / "profile.ini";
    {
        XdgProfileStore store(file);
        EXPECT_EQ(store.read("QUBImageBurner", "raw_path"), "") << "nothing stored yet";
        ASSERT_TRUE(store.write("QUBImageBurner", "raw_path", "/home/me/flash images/raw.bin"));
        ASSERT_TRUE(store.write("QUBImageBurner", "bin_path", " padded "));
        ASSERT_TRUE(store.write("QUBImageBurner", "raw_path", "/srv/\"quoted\""));
    }
    XdgProfileStore next(file);
    EXPECT_EQ(next.read("QUBImageBurner", "raw_path"), "/srv/\"quoted\"");
    EXPECT_EQ(next.read("qubimageburner", "BIN_PATH"), " padded ");
    const std::string longPath = "/" + std::string(2000, 'p');
    ASSERT_TRUE(next.write("QUBImageBurner", "bin_path", longPath));
    EXPECT_EQ(next.read("QUBImageBurner", "bin_path"), longPath) << "a long path is not cut";
    EXPECT_EQ(test::TempFolder::read(file),
              "[QUBImageBurner]\nraw_path=/srv/\"quoted\"\nbin_path=" + longPath + "\n");
}

TEST(XdgProfileStore, WriteReplacesTheWholeFileAtomicallyAndKeepsOtherLines) {
    test::TempFolder folder;
    const auto file = folder.write("profile.ini",
                                   "; my settings\n[Other]\nraw_path=keep\n[qubimageburner]\nRAW_PATH=old\n"
                                   "notakey\nextra=1\n\n[Last]\nx=y\n");
    const ino_t before = inodeOf(file);
    std::ifstream reader(
        file);  // a reader of the old file keeps seeing it whole (and keeps its inode in use)
    XdgProfileStore store(file);
    ASSERT_TRUE(store.write("QUBImageBurner", "raw_path", "new"));
    ASSERT_TRUE(store.write("QUBImageBurner", "bin_path", "out.bin"));
    EXPECT_EQ(test::TempFolder::read(file),
              "; my settings\n[Other]\nraw_path=keep\n[qubimageburner]\nraw_path=new\n"
              "notakey\nextra=1\nbin_path=out.bin\n\n[Last]\nx=y\n");
    EXPECT_NE(inodeOf(file), before) << "replaced by a rename, not rewritten in place";
    std::string firstLine;
    std::getline(reader, firstLine);
    EXPECT_EQ(firstLine, "; my settings");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}),
              "[Other]\nraw_path=keep\n[qubimageburner]\nRAW_PATH=old\nnotakey\nextra=1\n\n[Last]\nx=y\n");
    EXPECT_EQ(entriesIn(folder.path()), 1u) << "no temporary file left behind";
}

TEST(XdgProfileStore, RefusedWritesLeaveTheFileAsItWas) {
    test::TempFolder folder;
    const auto file = folder.write("profile.ini", "[QUBImageBurner]\nraw_path=a\n");
    XdgProfileStore store(file);
    EXPECT_FALSE(store.write("QUBImageBurner", "raw_path", "two\nlines"));
    EXPECT_FALSE(store.write("QUBImageBurner", "key=x", "v"));
    EXPECT_FALSE(store.write("Sec]tion", "k", "v"));
    EXPECT_FALSE(store.write("QUBImageBurner", "", "v"));
    EXPECT_EQ(test::TempFolder::read(file), "[QUBImageBurner]\nraw_path=a\n");

    // The folder cannot be made where a file already stands.
    const auto blocked = folder.write("blocker", "x") / "profile.ini";
    EXPECT_FALSE(XdgProfileStore(blocked).write("QUBImageBurner", "raw_path", "v"));
    EXPECT_FALSE(XdgProfileStore(std::filesystem::path{}).write("QUBImageBurner", "raw_path", "v"));
    EXPECT_EQ(entriesIn(folder.path()), 2u);
}

TEST(XdgProfileStore, AProfileThatIsALinkStaysOneAndItsTargetIsReplaced) {
    test::TempFolder folder;
    const auto target = folder.write("dotfiles/profile.ini", "[QUBImageBurner]\nraw_path=a\n");
    const auto link = folder.path() / "config" / "profile.ini";
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_symlink("../dotfiles/profile.ini", link);
    ASSERT_TRUE(XdgProfileStore(link).write("QUBImageBurner", "raw_path", "b"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::TempFolder::read(target), "[QUBImageBurner]\nraw_path=b\n");
    EXPECT_EQ(entriesIn(target.parent_path()), 1u) << "no temporary file left behind";
}

class SavedEnvironment {
public:
    explicit SavedEnvironment(const char* name) : m_name(name) {
        if (const char* v = std::getenv(name)) m_value = v;
    }
    ~SavedEnvironment() { m_value ? ::setenv(m_name, m_value->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_value;
};

TEST(XdgProfileStore, FileFollowsXdgConfigHomeThenHome) {
    SavedEnvironment xdg("XDG_CONFIG_HOME");
    SavedEnvironment home("HOME");
    ::setenv("HOME", "/home/tester", 1);
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(XdgProfileStore::defaultFile(), std::filesystem::path("/cfg/imageburner/profile.ini"));
    ::setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    EXPECT_EQ(XdgProfileStore::defaultFile(),
              std::filesystem::path("/home/tester/.config/imageburner/profile.ini"));
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(XdgProfileStore::forCurrentUser().file(),
              std::filesystem::path("/home/tester/.config/imageburner/profile.ini"));
}

}  // namespace
}  // namespace ib::platform

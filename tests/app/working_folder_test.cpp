// The window's working folder and its menu: which folder a start without
// one on its command line takes, how a restart elsewhere keeps the other
// options, that the menu's mnemonics are free in the system menus of English
// and Polish Windows, and when a message offers a start with administrator
// rights.
#include <gtest/gtest.h>

#include <cctype>
#include <optional>

#include "app/main_dialog_logic.h"
#include "app/memory_profile.h"
#include "app/window_menu.h"
#include "app/working_folder.h"
#include "support/temp_folder.h"

namespace ib::app {
namespace {

enum class Folder { None, Current, Remembered, Answer };

struct StartCase {
    const char* name;
    bool currentHoldsConfiguration;
    Folder remembered;  // None, Remembered (an existing folder) or Answer (one since removed)
    bool answers;       // the question picks a folder rather than being cancelled
    Folder expected;
    bool asked;
    Folder rememberedAfter;
};

TEST(WorkingFolder, AStartWithoutAFolderGivenTakesTheConfigurationTheProfileOrTheAnswer) {
    const StartCase cases[] = {
        {"DiskInfo.ini here wins", true, Folder::Remembered, true, Folder::Current, false, Folder::Remembered},
        {"the remembered folder", false, Folder::Remembered, true, Folder::Remembered, false, Folder::Remembered},
        {"none remembered: asked", false, Folder::None, true, Folder::Answer, true, Folder::Answer},
        {"a removed one: asked", false, Folder::Answer, true, Folder::Answer, true, Folder::Answer},
        {"cancelled: here", false, Folder::None, false, Folder::Current, true, Folder::None},
    };
    for (const StartCase& c : cases) {
        test::TempFolder root;
        const auto current = root / "Start Menu";
        const auto remembered = root / "zażółć";
        const auto answer = root / "firmware";
        std::filesystem::create_directories(current);
        std::filesystem::create_directories(remembered);
        std::filesystem::create_directories(answer);
        if (c.currentHoldsConfiguration) root.write("Start Menu/DiskInfo.ini", "[UI_SETTING]\n");
        const auto pathOf = [&](Folder f) {
            return f == Folder::Current ? current : f == Folder::Remembered ? remembered
                                                : f == Folder::Answer       ? answer
                                                                            : std::filesystem::path();
        };
        MemoryProfile profile;
        if (c.remembered != Folder::None) {
            ASSERT_TRUE(rememberWorkingFolder(profile, pathOf(c.remembered)));
        }
        if (c.remembered == Folder::Answer) std::filesystem::remove(answer);  // remembered, then removed
        bool asked = false;
        const auto ask = [&]() -> std::optional<std::filesystem::path> {
            asked = true;
            std::filesystem::create_directories(answer);
            return c.answers ? std::optional(answer) : std::nullopt;
        };

        EXPECT_EQ(startFolder(current, profile, ask), pathOf(c.expected)) << c.name;
        EXPECT_EQ(asked, c.asked) << c.name;
        EXPECT_EQ(profile.read(kProfileSection, kWorkingFolderKey), utf8FromPath(pathOf(c.rememberedAfter))) << c.name;
    }
}

TEST(WorkingFolder, AStartElsewhereReplacesTheFolderAndKeepsTheOtherOptions) {
    const std::filesystem::path folder = pathFromUtf8("/home/ann/gęślą jaźń");
    const std::vector<std::string> expected{"--sim", "rec", "--log", "a.log", "--workdir", "/home/ann/gęślą jaźń"};
    EXPECT_EQ(argumentsWithWorkingFolder({"--sim", "rec", "--workdir", "old", "--log", "a.log"}, folder), expected);
    EXPECT_EQ(argumentsWithWorkingFolder({"--sim", "rec", "--workdir=old", "--log", "a.log"}, folder), expected);
    EXPECT_EQ(argumentsWithWorkingFolder({"--sim", "rec", "--log", "a.log"}, folder), expected);
}

// The letter after '&', lower case; 0 without one.
char mnemonic(const std::string& text) {
    const auto at = text.find('&');
    return at == std::string::npos || at + 1 >= text.size()
               ? '\0'
               : static_cast<char>(std::tolower(static_cast<unsigned char>(text[at + 1])));
}

TEST(WindowMenu, MnemonicsAreFreeInTheSystemMenusOfEnglishAndPolishWindows) {
    // Restore, Move, Size, Minimize, Maximize, Close as each system labels them.
    const std::vector<std::vector<std::string>> systemMenus = {
        {"&Restore", "&Move", "&Size", "Mi&nimize", "Ma&ximize", "&Close"},                       // English Windows
        {"&Przywróć", "&Przenieś", "&Rozmiar", "Mi&nimalizuj", "Ma&ksymalizuj", "&Zamknij"},      // Polish Windows
        {"P&rzywróć", "Prz&enieś", "&Rozmiar", "Mi&nimalizuj", "&Maksymalizuj", "Zam&knij"},      // Polish Wine
    };
    std::string ours;
    for (const MenuEntry& entry : windowMenu()) {
        const char letter = mnemonic(entry.text);
        ASSERT_NE(letter, '\0') << entry.text;
        EXPECT_EQ(ours.find(letter), std::string::npos) << entry.text << " repeats a mnemonic of ours";
        ours += letter;
        for (const auto& menu : systemMenus)
            for (const std::string& system : menu) EXPECT_NE(letter, mnemonic(system)) << entry.text << " vs " << system;
    }
}

TEST(WindowMenu, OnlyAMissingRightsMessageOffersAStartAsAdministrator) {
    const std::string refused = "Administrator rights are needed: drive E: refused access: Access denied. (error 5)";
    const auto question = elevationQuestion(refused);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->rfind(refused, 0), 0u);
    EXPECT_NE(question->find("as administrator"), std::string::npos);
    EXPECT_FALSE(elevationQuestion("Error 0x02: No QUB device !"));
}

}  // namespace
}  // namespace ib::app

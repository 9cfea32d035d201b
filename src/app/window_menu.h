// The window's menu, one list for both faces and both ways of opening it (a
// right click, the system menu): each entry's text with its mnemonic and the
// system command number the Win32 face gives it. The mnemonics are letters no
// entry of the system menu of English or Polish Windows takes, so that
// Alt+Space and the letter reach our entry and not "Size" or "Move".
#pragma once

#include <span>

namespace ib {

enum class MenuCommand { WorkingFolder, About, Service };

struct MenuEntry {
    MenuCommand command;
    const char* text;   // UTF-8, '&' before the mnemonic
    int systemCommand;  // a system command's low four bits are zero
    bool checkable;     // shows whether its part of the window is shown
};

// The about box keeps command number 16 and string 101.
inline constexpr MenuEntry kWindowMenu[] = {
    {MenuCommand::WorkingFolder, "&Working folder...", 48, false},
    {MenuCommand::About, "&About ImageBurner...", 16, false},
    {MenuCommand::Service, "Ser&vice", 32, true},
};

inline std::span<const MenuEntry> windowMenu() { return kWindowMenu; }

// The entry of `command`.
inline const MenuEntry& menuEntry(MenuCommand command) {
    for (const MenuEntry& entry : kWindowMenu)
        if (entry.command == command) return entry;
    return kWindowMenu[0];
}

}  // namespace ib

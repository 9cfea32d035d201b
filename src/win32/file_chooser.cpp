#include "win32/file_chooser.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/windows/wide_text.h"

namespace ib::win32 {
namespace {

// Room for many chosen names at once.
constexpr std::size_t kNameBufferCharacters = 133'372;

DWORD chooserFlags(const FileChooserRequest& request) {
    DWORD flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    if (request.overwritePrompt) flags |= OFN_OVERWRITEPROMPT;
    if (request.pathMustExist) flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (request.allowMultiSelect) flags |= OFN_ALLOWMULTISELECT;
    return flags;
}

// The buffer's answer: one path, or with several files chosen the folder and
// the names, each ended by a NUL; then the first of them.
std::wstring firstChosen(const std::vector<wchar_t>& names) {
    const std::wstring first(names.data());
    const wchar_t* next = names.data() + first.size() + 1;
    if (*next == L'\0') return first;
    return first + L'\\' + next;
}

}  // namespace

std::wstring chooserFilter(const std::string& filter) {
    std::wstring wide = platform::wideFromUtf8(filter);
    for (wchar_t& c : wide)
        if (c == L'|') c = L'\0';
    // Ended by two NULs however the description ended.
    while (wide.size() < 2 || wide[wide.size() - 1] != L'\0' || wide[wide.size() - 2] != L'\0') wide.push_back(L'\0');
    return wide;
}

std::optional<std::string> chooseFile(HWND owner, const FileChooserRequest& request) {
    std::vector<wchar_t> names(kNameBufferCharacters, L'\0');
    const std::wstring initial = platform::wideFromUtf8(request.initialName);
    initial.copy(names.data(), std::min(initial.size(), names.size() - 2));
    const std::wstring filter = chooserFilter(request.filter);
    const std::wstring title = platform::wideFromUtf8(request.title);
    const std::wstring extension = platform::wideFromUtf8(request.defaultExtension);

    OPENFILENAMEW chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = owner;
    chooser.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    chooser.lpstrFile = names.data();
    chooser.nMaxFile = static_cast<DWORD>(names.size());
    chooser.lpstrTitle = title.empty() ? nullptr : title.c_str();
    chooser.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    chooser.Flags = chooserFlags(request);
    const BOOL chosen = request.save ? ::GetSaveFileNameW(&chooser) : ::GetOpenFileNameW(&chooser);
    if (!chosen) return std::nullopt;
    return platform::utf8FromWide(firstChosen(names));
}

}  // namespace ib::win32

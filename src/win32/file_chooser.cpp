#include "win32/file_chooser.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <algorithm>
#include <vector>

#include "app/main_dialog_logic.h"
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

// A COM interface pointer released at the end of its scope.
template <typename Interface>
struct Released {
    Interface* pointer = nullptr;
    ~Released() {
        if (pointer) pointer->Release();
    }
};

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

std::optional<std::string> chooseFolder(HWND owner, const std::string& start) {
    Released<IFileOpenDialog> chooser;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&chooser.pointer))))
        return std::nullopt;
    FILEOPENDIALOGOPTIONS options = 0;
    chooser.pointer->GetOptions(&options);
    chooser.pointer->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    chooser.pointer->SetTitle(platform::wideFromUtf8(kFolderChooserTitle).c_str());
    Released<IShellItem> startItem;
    if (SUCCEEDED(::SHCreateItemFromParsingName(platform::wideFromUtf8(start).c_str(), nullptr,
                                                IID_PPV_ARGS(&startItem.pointer))))
        chooser.pointer->SetFolder(startItem.pointer);
    if (FAILED(chooser.pointer->Show(owner))) return std::nullopt;  // cancelled, too
    Released<IShellItem> chosen;
    if (FAILED(chooser.pointer->GetResult(&chosen.pointer))) return std::nullopt;
    PWSTR path = nullptr;
    if (FAILED(chosen.pointer->GetDisplayName(SIGDN_FILESYSPATH, &path))) return std::nullopt;
    std::string utf8 = platform::utf8FromWide(path);
    ::CoTaskMemFree(path);
    return utf8;
}

}  // namespace ib::win32

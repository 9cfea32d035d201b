#include "probed_controls.h"

#include "platform/windows/utf16_text.h"

namespace ib::probe {
namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

std::string utf8(const std::wstring& text) {
    return platform::utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

// A message answered by the other process; 0 when it does not answer in time.
LRESULT ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer)) return 0;
    return static_cast<LRESULT>(answer);
}

// WM_GETTEXT, which Windows carries across processes (GetWindowText does not
// ask another process's edit controls).
std::string textOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(ask(window, WM_GETTEXTLENGTH)) + 1, L'\0');
    const auto copied = ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return utf8(text);
}

std::string classOf(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return utf8(std::wstring(name, static_cast<std::size_t>(length)));
}

bool isCheckBox(const std::string& className, DWORD style) {
    const DWORD type = style & BS_TYPEMASK;
    return className == "Button" && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX);
}

ProbedControl probe(HWND dialog, HWND child) {
    ProbedControl control;
    control.id = GetDlgCtrlID(child);
    control.className = classOf(child);
    control.text = textOf(child);
    control.style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
    control.enabled = IsWindowEnabled(child);
    control.visible = IsWindowVisible(child);
    if (isCheckBox(control.className, control.style)) control.checked = static_cast<int>(ask(child, BM_GETCHECK));
    if (control.className == "ComboBox") control.selected = static_cast<int>(ask(child, CB_GETCURSEL));
    GetWindowRect(child, &control.rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&control.rect), 2);
    return control;
}

struct Children {
    HWND dialog;
    std::vector<ProbedControl> controls;
};

BOOL CALLBACK addDirectChild(HWND child, LPARAM lParam) {
    auto& children = *reinterpret_cast<Children*>(lParam);
    if (GetParent(child) == children.dialog) children.controls.push_back(probe(children.dialog, child));
    return TRUE;
}

struct Search {
    std::wstring prefix;
    HWND found = nullptr;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<Search*>(lParam);
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    if (IsWindowVisible(window) && std::wstring(title).starts_with(search.prefix)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND findDialog(const std::wstring& titlePrefix) {
    Search search{titlePrefix};
    EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string windowTitle(HWND window) {
    wchar_t title[512] = {};
    const int length = GetWindowTextW(window, title, 512);
    return utf8(std::wstring(title, static_cast<std::size_t>(length)));
}

ProbedDialog probeDialog(HWND dialog) {
    ProbedDialog probed;
    RECT client{};
    GetClientRect(dialog, &client);
    probed.client = {client.right, client.bottom};
    const auto defaultId = static_cast<DWORD>(ask(dialog, DM_GETDEFID));
    if (HIWORD(defaultId) == DC_HASDEFID) probed.defaultButton = LOWORD(defaultId);
    // EnumChildWindows also visits the children's own children (a combo
    // box's edit): only the dialog's own are kept.
    Children children{dialog, {}};
    EnumChildWindows(dialog, addDirectChild, reinterpret_cast<LPARAM>(&children));
    probed.controls = std::move(children.controls);
    return probed;
}

}  // namespace ib::probe

// The main dialog's template read back from its bytes: the header (style,
// size, font), and each control of the table with its class, styles,
// rectangle and text, the service panel hidden.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "app/control_table.h"
#include "app/main_dialog_logic.h"
#include "platform/windows/wide_text.h"
#include "win32/main_dialog_template.h"

namespace ib::win32 {
namespace {

struct ParsedItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    DialogRect rect;
    int id = 0;
    std::wstring windowClass;
    TemplateText text;
};

struct ParsedDialog {
    std::uint16_t version = 0;
    std::uint16_t signature = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    DialogRect rect;
    std::wstring title;
    std::uint16_t fontPoints = 0;
    std::wstring fontName;
    std::vector<ParsedItem> items;
};

// Reads DLGTEMPLATEEX as Windows does, field by field.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<std::uint32_t>& words)
        : m_bytes(reinterpret_cast<const std::uint8_t*>(words.data())), m_size(words.size() * 4) {}

    std::uint16_t word() { return read<std::uint16_t>(); }
    std::uint32_t dword() { return read<std::uint32_t>(); }
    std::uint8_t byte() { return read<std::uint8_t>(); }
    DialogRect rect() {
        DialogRect r;
        for (int* value : {&r.x, &r.y, &r.width, &r.height}) *value = static_cast<std::int16_t>(word());
        return r;
    }
    std::wstring string() {
        std::wstring text;
        for (std::uint16_t c = word(); c != 0; c = word()) text.push_back(static_cast<wchar_t>(c));
        return text;
    }
    TemplateText text() {
        const std::uint16_t first = word();
        if (first == 0xFFFF) return word();
        std::wstring rest = first == 0 ? L"" : static_cast<wchar_t>(first) + string();
        return rest;
    }
    void alignToDword() { m_at = (m_at + 3) & ~std::size_t{3}; }

private:
    template <typename T>
    T read() {
        if (m_at + sizeof(T) > m_size) throw std::out_of_range("template ends early");
        T value;
        std::memcpy(&value, m_bytes + m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }

    const std::uint8_t* m_bytes;
    std::size_t m_size;
    std::size_t m_at = 0;
};

ParsedDialog parse(const std::vector<std::uint32_t>& words) {
    TemplateReader in(words);
    ParsedDialog dialog;
    dialog.version = in.word();
    dialog.signature = in.word();
    in.dword();  // helpID
    dialog.exStyle = in.dword();
    dialog.style = in.dword();
    const std::uint16_t count = in.word();
    dialog.rect = in.rect();
    EXPECT_EQ(in.word(), 0) << "menu";
    EXPECT_EQ(in.word(), 0) << "window class";
    dialog.title = in.string();
    dialog.fontPoints = in.word();
    in.word();  // weight
    in.byte();  // italic
    in.byte();  // character set
    dialog.fontName = in.string();
    for (std::uint16_t i = 0; i < count; ++i) {
        in.alignToDword();
        ParsedItem item;
        in.dword();  // helpID
        item.exStyle = in.dword();
        item.style = in.dword();
        item.rect = in.rect();
        item.id = static_cast<int>(in.dword());
        item.windowClass = in.string();
        item.text = in.text();
        EXPECT_EQ(in.word(), 0) << "creation data";
        dialog.items.push_back(item);
    }
    return dialog;
}

const ParsedDialog& mainDialog() {
    static const ParsedDialog parsed = parse(buildDialogTemplate(mainDialogTemplate()));
    return parsed;
}

std::optional<ParsedItem> parsedItem(int id, const DialogRect& rect) {
    const auto& items = mainDialog().items;
    const auto found = std::find_if(items.begin(), items.end(),
                                    [&](const ParsedItem& item) { return item.id == id && item.rect == rect; });
    if (found == items.end()) return std::nullopt;
    return *found;
}

bool hasAll(DWORD style, DWORD bits) { return (style & bits) == bits; }

TEST(MainDialogTemplate, HeaderIsAnExtendedTemplateWithFontCaptionAndNoMinimiseOrMaximiseBox) {
    const ParsedDialog& dialog = mainDialog();
    EXPECT_EQ(dialog.version, 1);
    EXPECT_EQ(dialog.signature, 0xFFFF);
    EXPECT_TRUE(hasAll(dialog.style, DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(dialog.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
    EXPECT_TRUE(hasAll(dialog.exStyle, WS_EX_APPWINDOW));
    EXPECT_EQ(dialog.rect, (DialogRect{0, 0, 329, 140}));
    EXPECT_EQ(dialog.title, platform::wideFromUtf8(kDialogTitle));
    EXPECT_EQ(dialog.fontPoints, 8);
    EXPECT_EQ(dialog.fontName, L"MS Sans Serif");
    EXPECT_EQ(dialog.items.size(), mainDialogControls().size() + 3);
}

struct KindExpectation {
    ControlKind kind;
    const wchar_t* windowClass;
    DWORD style;  // the low word for the kinds whose styles are values, not bits
};

// Button and static styles are numbers in the low bits, compared whole.
constexpr DWORD kTypeMask = 0x1F;

TEST(MainDialogTemplate, EveryControlOfTheTableHasTheClassAndStylesOfItsKind) {
    const KindExpectation expectations[] = {
        {ControlKind::Picture, L"STATIC", SS_BITMAP},
        {ControlKind::StatusLine, L"STATIC", SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN},
        {ControlKind::DefaultButton, L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP},
        {ControlKind::Button, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP},
        {ControlKind::Text, L"STATIC", SS_LEFT},
        {ControlKind::CentredText, L"STATIC", SS_CENTER},
        {ControlKind::Edit, L"EDIT", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
        {ControlKind::NumberEdit, L"EDIT", ES_AUTOHSCROLL | ES_RIGHT | WS_BORDER | WS_TABSTOP},
        {ControlKind::CheckBox, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP},
        {ControlKind::ComboBox, L"COMBOBOX", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP},
        {ControlKind::BlackFrame, L"STATIC", SS_BLACKFRAME},
        {ControlKind::GroupBox, L"BUTTON", BS_GROUPBOX},
    };
    for (const ControlSpec& spec : mainDialogControls()) {
        SCOPED_TRACE(spec.id);
        const auto item = parsedItem(spec.id, spec.rect);
        ASSERT_TRUE(item) << "no control " << spec.id << " at its rectangle";
        const auto& expected = *std::find_if(std::begin(expectations), std::end(expectations),
                                             [&](const KindExpectation& e) { return e.kind == spec.kind; });
        EXPECT_EQ(item->windowClass, expected.windowClass);
        const bool typed = item->windowClass == L"BUTTON" || item->windowClass == L"STATIC";
        const DWORD typeMask = typed ? kTypeMask : 0;
        EXPECT_EQ(item->style & typeMask, expected.style & typeMask);
        EXPECT_TRUE(hasAll(item->style, (expected.style & ~typeMask) | WS_CHILD));
        EXPECT_EQ((item->style & WS_VISIBLE) == 0, inServicePanel(spec));
        EXPECT_EQ((item->style & WS_DISABLED) != 0, spec.initial == ControlState::Disabled);
    }
}

TEST(MainDialogTemplate, TextsAreTheTablesInUtf16AndTheBannerIsBitmap131) {
    for (const ControlSpec& spec : mainDialogControls()) {
        const auto item = parsedItem(spec.id, spec.rect);
        ASSERT_TRUE(item);
        if (spec.kind == ControlKind::Picture)
            EXPECT_EQ(item->text, TemplateText(std::uint16_t{131}));
        else
            EXPECT_EQ(item->text, TemplateText(platform::wideFromUtf8(spec.text)));
    }
    const auto start = parsedItem(control::Start, mainDialogControls()[2].rect);
    ASSERT_TRUE(start);
    EXPECT_NE(std::get<std::wstring>(start->text).find(L"oprogramowania"), std::wstring::npos);
}

TEST(MainDialogTemplate, FramesAndGroupBoxesComeAfterEveryOtherControlSoTheyLieUnderThem) {
    const auto& items = mainDialog().items;
    const auto isDecoration = [](const ParsedItem& item) {
        const DWORD type = item.style & kTypeMask;
        return (item.windowClass == L"STATIC" && type == SS_BLACKFRAME) ||
               (item.windowClass == L"BUTTON" && type == BS_GROUPBOX);
    };
    const auto firstDecoration = std::find_if(items.begin(), items.end(), isDecoration);
    const auto tableEnd = items.begin() + static_cast<std::ptrdiff_t>(mainDialogControls().size());
    ASSERT_NE(firstDecoration, tableEnd);
    EXPECT_TRUE(std::all_of(firstDecoration, tableEnd, isDecoration));
}

TEST(MainDialogTemplate, ServiceLogSaveButtonAndTransferBarStartHiddenBesideThePanel) {
    const auto log = parsedItem(extra_control::ServiceLog, kServiceLogRect);
    ASSERT_TRUE(log);
    EXPECT_EQ(log->windowClass, L"EDIT");
    EXPECT_TRUE(hasAll(log->style, ES_MULTILINE | ES_READONLY | WS_VSCROLL));
    const auto save = parsedItem(extra_control::SaveLog, kSaveLogButtonRect);
    ASSERT_TRUE(save);
    EXPECT_EQ(save->text, TemplateText(std::wstring(L"Save log...")));
    const auto& items = mainDialog().items;
    const auto bar = std::find_if(items.begin(), items.end(),
                                  [](const ParsedItem& item) { return item.id == extra_control::TransferBar; });
    ASSERT_NE(bar, items.end());
    EXPECT_EQ(bar->windowClass, PROGRESS_CLASSW);
    EXPECT_EQ(bar->rect.y, kSaveLogButtonRect.y);
    EXPECT_LT(bar->rect.x + bar->rect.width, kSaveLogButtonRect.x);
    for (const ParsedItem* item : {&*log, &*save, &*bar}) EXPECT_EQ(item->style & WS_VISIBLE, 0u);
}

}  // namespace
}  // namespace ib::win32

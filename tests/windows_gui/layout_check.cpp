#include "layout_check.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace ib::probe {
namespace {

using K = ControlKind;

// The window class each kind of control is made of, and the style bits that
// tell it from the others of its class.
struct KindShape {
    const char* className;
    DWORD typeMask;
    std::vector<DWORD> types;  // any of these under the mask
};

KindShape shapeOf(ControlKind kind) {
    switch (kind) {
        case K::Picture: return {"Static", SS_TYPEMASK, {SS_BITMAP}};
        case K::StatusLine: return {"Static", 0, {0}};
        case K::DefaultButton: return {"Button", BS_TYPEMASK, {BS_DEFPUSHBUTTON}};
        // A push button with the focus is the default one meanwhile.
        case K::Button: return {"Button", BS_TYPEMASK, {BS_PUSHBUTTON, BS_DEFPUSHBUTTON}};
        case K::Text: return {"Static", SS_TYPEMASK, {SS_LEFT}};
        case K::CentredText: return {"Static", SS_TYPEMASK, {SS_CENTER}};
        case K::Edit: return {"Edit", 0, {0}};
        case K::NumberEdit: return {"Edit", ES_RIGHT, {ES_RIGHT}};
        case K::CheckBox: return {"Button", BS_TYPEMASK, {BS_CHECKBOX, BS_AUTOCHECKBOX}};
        case K::ComboBox: return {"ComboBox", 0x3, {CBS_DROPDOWN}};
        case K::BlackFrame: return {"Static", SS_TYPEMASK, {SS_BLACKFRAME}};
        case K::GroupBox: return {"Button", BS_TYPEMASK, {BS_GROUPBOX}};
    }
    return {"", 0, {0}};
}

// Kinds whose text is the table's; the others show values or a picture.
bool showsTableText(ControlKind kind) {
    return kind == K::DefaultButton || kind == K::Button || kind == K::Text || kind == K::CentredText ||
           kind == K::CheckBox || kind == K::GroupBox;
}

bool near(LONG a, LONG b) { return std::abs(a - b) <= 1; }

// A combo box's height in the table covers its drop-down list; the banner
// takes its bitmap's size.
bool rectMatches(ControlKind kind, const RECT& want, const RECT& got) {
    const bool place = near(want.left, got.left) && near(want.top, got.top);
    if (kind == K::Picture) return place;
    const bool width = near(want.right - want.left, got.right - got.left);
    if (kind == K::ComboBox) return place && width;
    return place && width && near(want.bottom - want.top, got.bottom - got.top);
}

bool hasNoNumber(const ProbedControl& control) { return control.id == 0xFFFF || control.id == kNoId; }

std::string describe(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " + std::to_string(rect.right - rect.left) +
           "x" + std::to_string(rect.bottom - rect.top);
}

std::string name(const ControlSpec& spec) {
    return (spec.id == kNoId ? std::string("control") : "control " + std::to_string(spec.id)) +
           (*spec.text ? " \"" + std::string(spec.text) + "\"" : std::string());
}

// The probed control that stands for `want`: the one with its number, or for
// a control without a number, an unclaimed one of its class at its place.
std::optional<std::size_t> counterpart(const ExpectedControl& want, const std::vector<ProbedControl>& probed,
                                       const std::vector<bool>& claimed) {
    for (std::size_t i = 0; i < probed.size(); ++i) {
        if (claimed[i]) continue;
        const ProbedControl& got = probed[i];
        if (want.spec.id != kNoId && got.id == want.spec.id) return i;
        if (want.spec.id == kNoId && hasNoNumber(got) && got.className == shapeOf(want.spec.kind).className &&
            rectMatches(want.spec.kind, want.rect, got.rect))
            return i;
    }
    return std::nullopt;
}

void compare(const ExpectedControl& want, const ProbedControl& got, bool servicePanelShown,
             std::vector<std::string>& differences) {
    const KindShape shape = shapeOf(want.spec.kind);
    const std::string who = name(want.spec);
    if (got.className != shape.className) differences.push_back(who + ": class " + got.className + ", not " + shape.className);
    const DWORD type = got.style & shape.typeMask;
    if (std::find(shape.types.begin(), shape.types.end(), type) == shape.types.end())
        differences.push_back(who + ": style bits " + std::to_string(type) + " under the mask " +
                              std::to_string(shape.typeMask));
    if (showsTableText(want.spec.kind) && got.text != want.spec.text)
        differences.push_back(who + ": text \"" + got.text + "\"");
    const bool inPanel = inServicePanel(want.spec);
    if (got.visible != (!inPanel || servicePanelShown))
        differences.push_back(who + (got.visible ? ": shown" : ": hidden"));
    if ((!inPanel || servicePanelShown) && !rectMatches(want.spec.kind, want.rect, got.rect))
        differences.push_back(who + ": at " + describe(got.rect) + ", not " + describe(want.rect));
}

}  // namespace

std::vector<std::string> layoutDifferences(const std::vector<ExpectedControl>& expected,
                                           const std::vector<ProbedControl>& probed, bool servicePanelShown) {
    std::vector<std::string> differences;
    std::vector<bool> claimed(probed.size(), false);
    for (const ExpectedControl& want : expected) {
        const auto found = counterpart(want, probed, claimed);
        if (!found) {
            differences.push_back(name(want.spec) + ": missing (" + shapeOf(want.spec.kind).className + " at " +
                                  describe(want.rect) + ")");
            continue;
        }
        claimed[*found] = true;
        compare(want, probed[*found], servicePanelShown, differences);
    }
    for (std::size_t i = 0; i < probed.size(); ++i)
        if (!claimed[i])
            differences.push_back("unexpected control " + std::to_string(probed[i].id) + " " + probed[i].className +
                                  " \"" + probed[i].text + "\" at " + describe(probed[i].rect));
    return differences;
}

}  // namespace ib::probe

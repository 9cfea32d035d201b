#include "layout_check.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "app/control_table.h"

namespace ib::probe {
namespace {

bool withinAPixel(LONG a, LONG b) { return std::abs(a - b) <= 1; }

bool placeMatches(const ExpectedControl& want, const RECT& got) {
    const RECT& rect = want.rect;
    const bool corner = withinAPixel(rect.left, got.left) && withinAPixel(rect.top, got.top);
    const bool width = withinAPixel(rect.right - rect.left, got.right - got.left);
    if (want.place == PlaceCheck::WithoutHeight) return corner && width;
    return corner && width && withinAPixel(rect.bottom - rect.top, got.bottom - got.top);
}

// A dialog template's control without a number of its own has number 65535.
bool hasNoNumber(const ProbedControl& control) { return control.id == 0xFFFF || control.id == kNoId; }

bool numberMatches(const ExpectedControl& want, const ProbedControl& got) {
    if (!want.id) return true;
    return *want.id == kNoId ? hasNoNumber(got) : got.id == *want.id;
}

std::string describe(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " + std::to_string(rect.right - rect.left) +
           "x" + std::to_string(rect.bottom - rect.top);
}

// The probed control that stands for `want`: the one with its number, or for
// a control without one, an unclaimed one of its class at its place.
std::optional<std::size_t> counterpart(const ExpectedControl& want, const std::vector<ProbedControl>& probed,
                                       const std::vector<bool>& claimed) {
    const bool byNumber = want.id && *want.id != kNoId;
    for (std::size_t i = 0; i < probed.size(); ++i) {
        if (claimed[i] || !numberMatches(want, probed[i])) continue;
        if (byNumber || (probed[i].className == want.className && placeMatches(want, probed[i].rect))) return i;
    }
    return std::nullopt;
}

void compare(const ExpectedControl& want, const ProbedControl& got, bool servicePanelShown,
             std::vector<std::string>& differences) {
    const auto differs = [&](const std::string& what) { differences.push_back(want.name + ": " + what); };
    if (got.className != want.className) differs("class " + got.className + ", not " + want.className);
    const DWORD type = got.style & want.typeMask;
    if (std::find(want.types.begin(), want.types.end(), type) == want.types.end())
        differs("style bits " + std::to_string(type) + " under the mask " + std::to_string(want.typeMask));
    if (want.text && got.text != *want.text) differs("text \"" + got.text + "\"");
    const bool shown = !want.inServicePanel || servicePanelShown;
    if (got.visible != shown) differs(got.visible ? "shown" : "hidden");
    if (shown && !placeMatches(want, got.rect)) differs("at " + describe(got.rect) + ", not " + describe(want.rect));
}

void compareClientArea(const ExpectedLayout& expected, const SIZE& client, bool servicePanelShown,
                       std::vector<std::string>& differences) {
    const SIZE& want = servicePanelShown ? expected.clientWithServicePanel : expected.client;
    if (!withinAPixel(client.cx, want.cx) || !withinAPixel(client.cy, want.cy))
        differences.push_back("client area " + std::to_string(client.cx) + "x" + std::to_string(client.cy) + ", not " +
                              std::to_string(want.cx) + "x" + std::to_string(want.cy));
}

// Enter presses the table's default button, and one push button (that one,
// or another with the focus) is drawn as the default one.
void compareDefaultButton(const ExpectedLayout& expected, const ProbedDialog& probed,
                          std::vector<std::string>& differences) {
    for (const ExpectedControl& want : expected.controls)
        if (want.isDefaultButton && want.id != probed.defaultButton)
            differences.push_back("the default button is " + std::to_string(probed.defaultButton) + ", not " +
                                  std::to_string(want.id.value_or(0)));
    const auto drawnAsDefault = std::count_if(probed.controls.begin(), probed.controls.end(), [](const ProbedControl& c) {
        return c.className == "Button" && (c.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    });
    if (drawnAsDefault != 1)
        differences.push_back(std::to_string(drawnAsDefault) + " buttons drawn as the default one, not 1");
}

// Each expected control against its counterpart, and the controls no row stands for.
void compareControls(const std::vector<ExpectedControl>& expected, const std::vector<ProbedControl>& probed,
                     bool servicePanelShown, std::vector<std::string>& differences) {
    std::vector<bool> claimed(probed.size(), false);
    for (const ExpectedControl& want : expected) {
        const auto found = counterpart(want, probed, claimed);
        if (!found) {
            differences.push_back(want.name + ": missing (" + want.className + " at " + describe(want.rect) + ")");
            continue;
        }
        claimed[*found] = true;
        compare(want, probed[*found], servicePanelShown, differences);
    }
    for (std::size_t i = 0; i < probed.size(); ++i)
        if (!claimed[i])
            differences.push_back("unexpected control " + std::to_string(probed[i].id) + " " + probed[i].className +
                                  " \"" + probed[i].text.substr(0, probed[i].text.find('\n')) + "\" at " +
                                  describe(probed[i].rect));
}

}  // namespace

std::vector<std::string> layoutDifferences(const ExpectedLayout& expected, const ProbedDialog& probed,
                                           bool servicePanelShown) {
    std::vector<std::string> differences;
    compareClientArea(expected, probed.client, servicePanelShown, differences);
    compareDefaultButton(expected, probed, differences);
    compareControls(expected.controls, probed.controls, servicePanelShown, differences);
    return differences;
}

}  // namespace ib::probe

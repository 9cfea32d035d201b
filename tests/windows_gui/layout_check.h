// The comparison of a dialog as probed with the layout it must have: its
// client area's size; every control present with its number, class, kind of
// style and text, no other, each within a pixel of its place; the service
// panel's controls shown only with the panel; the default button the table's,
// and one button drawn as the default one.
#pragma once

#include <string>
#include <vector>

#include "expected_layout.h"
#include "probed_controls.h"

namespace ib::probe {

// One line per difference; none when the dialog is as it must be.
std::vector<std::string> layoutDifferences(const ExpectedLayout& expected, const ProbedDialog& probed,
                                           bool servicePanelShown);

}  // namespace ib::probe

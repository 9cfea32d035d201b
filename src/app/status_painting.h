// What the status line (control 1018) paints, worked out once for every face:
// the done part of the bar filled with its colour or the tiled pattern, the
// rest with the rest colour, and the status text placed centred over both.
// A face measures the text with its own font, asks for the plan and only
// draws it.
#pragma once

#include <cstdint>
#include <string>

#include "app/user_interface_port.h"

namespace ib {

// A rectangle in pixels; right and bottom edges exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

enum class BarFill { Solid, TiledPattern };

struct StatusPaintPlan {
    PixelRect done;
    BarFill doneFill = BarFill::Solid;
    std::uint32_t doneColour = 0;  // 0x00BBGGRR; unused with the tiled pattern
    PixelRect rest;
    std::uint32_t restColour = 0;
    std::string text;  // UTF-8, drawn with a transparent background
    std::uint32_t textColour = 0;
    PixelRect textPlace;  // where the text's extent lands

    bool operator==(const StatusPaintPlan&) const = default;
};

// The plan for `state` in the control's client rectangle, given the extent of
// the text in the face's font (lines broken at line feeds only). Each offset
// that centres the text is halved truncating toward zero, so a text wider
// than the control moves left of it.
StatusPaintPlan planStatusPaint(const PixelRect& client, const StatusState& state, int textWidth, int textHeight);

}  // namespace ib

#include "app/status_painting.h"

namespace ib {

StatusPaintPlan planStatusPaint(const PixelRect& client, const StatusState& state, int textWidth, int textHeight) {
    StatusPaintPlan plan;
    const int doneRight = client.left + client.width() * state.percent / 100;
    plan.done = {client.left, client.top, doneRight, client.bottom};
    plan.rest = {doneRight, client.top, client.right, client.bottom};
    plan.doneFill = state.doneColour == kTiledPattern ? BarFill::TiledPattern : BarFill::Solid;
    plan.doneColour = state.doneColour;
    plan.restColour = state.restColour;
    plan.text = state.text;
    plan.textColour = state.textColour;
    // The text's extent starts at the client's top-left corner and moves by
    // half the room left on each side.
    const int dx = (client.right - (client.left + textWidth)) / 2;
    const int dy = (client.bottom - (client.top + textHeight)) / 2;
    plan.textPlace = {client.left + dx, client.top + dy, client.left + dx + textWidth, client.top + dy + textHeight};
    return plan;
}

}  // namespace ib

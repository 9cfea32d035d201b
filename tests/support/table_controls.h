// A face's controls kept as plain values, a combo box as its selected index
// and text, for driving the shared dialog logic without a window toolkit.
#pragma once

#include <map>
#include <stdexcept>
#include <string>

#include "app/control_table.h"
#include "app/dialog_controls.h"
#include "app/keyboard_focus.h"
#include "app/main_dialog_logic.h"

namespace ib::test {

class TableControls final : public DialogControls {
public:
    std::string text(int id) const override { return texts.count(id) ? texts.at(id) : ""; }
    void setText(int id, const std::string& text) override {
        texts[id] = text;
        selected[id] = -1;
    }
    bool isChecked(int id) const override { return checks.count(id) && checks.at(id); }
    void setChecked(int id, bool checked) override { checks[id] = checked; }
    void selectListEntry(int id, int index) override {
        selected[id] = index;
        texts[id] = index < 0 ? "" : listEntries(id)[static_cast<std::size_t>(index)];
    }
    void setEnabled(int id, bool enabled) override { this->enabled[id] = enabled; }
    int focusedControl() const override { return focus; }
    bool canTakeFocus(int id) const override {
        return (!enabled.count(id) || enabled.at(id)) && !(hiddenPanel && inServicePanel(specOf(id)));
    }
    void focusControl(int id) override { focus = id; }

    static const ControlSpec& specOf(int id) {
        for (const ControlSpec& spec : mainDialogControls())
            if (spec.id == id) return spec;
        throw std::out_of_range("no control " + std::to_string(id));
    }

    int focus = kNoId;  // kNoId: the dialog itself
    bool hiddenPanel = true;
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::map<int, int> selected;
    std::map<int, bool> enabled;
};

}  // namespace ib::test

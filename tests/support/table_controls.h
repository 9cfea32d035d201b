// A face's controls kept as plain values, a combo box as its selected index
// and text, for driving the shared dialog logic without a window toolkit.
#pragma once

#include <map>
#include <string>

#include "app/dialog_controls.h"
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

    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::map<int, int> selected;
    std::map<int, bool> enabled;
};

}  // namespace ib::test

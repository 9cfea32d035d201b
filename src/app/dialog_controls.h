// What the shared dialog logic asks of a face's controls, by control number:
// each face (Qt, Win32) implements it over its toolkit's widgets. Called on
// the user-interface thread only.
#pragma once

#include <string>

namespace ib {

class DialogControls {
public:
    virtual ~DialogControls() = default;
    // The text of an edit, or of a combo box's edit part (UTF-8).
    virtual std::string text(int id) const = 0;
    virtual void setText(int id, const std::string& text) = 0;
    virtual bool isChecked(int id) const = 0;
    virtual void setChecked(int id, bool checked) = 0;
    // Selects entry `index` of a combo box's list; -1 selects none and leaves
    // the box empty.
    virtual void selectListEntry(int id, int index) = 0;
    virtual void setEnabled(int id, bool enabled) = 0;
    // The control that has the keyboard focus (a combo box for its edit); -1
    // when the dialog itself or no window of the dialog has it.
    virtual int focusedControl() const = 0;
    // Whether control `id` is enabled and shown (the service panel's only
    // with the panel), so that it can take the focus.
    virtual bool canTakeFocus(int id) const = 0;
    // Gives control `id` the keyboard focus; -1: the dialog itself.
    virtual void focusControl(int id) = 0;
};

}  // namespace ib

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
};

}  // namespace ib

// What a file chooser asks for: the operations describe it, the faces show it.
#pragma once

#include <string>

namespace ib {

struct FileChooserRequest {
    bool save = false;
    std::string title;             // "" for the system's default title
    std::string filter;            // "Description|pattern|...||"
    std::string defaultExtension;  // without the dot, "" for none
    std::string initialName;       // pre-filled file name (a prompt, a path)
    bool allowMultiSelect = false;
    bool pathMustExist = false;
    bool overwritePrompt = false;
};

}  // namespace ib

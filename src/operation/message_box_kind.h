// The kinds of message box an operation shows, and their captions.
#pragma once

namespace ib {

enum class MessageBoxKind {
    Error,        // caption "Error Message", error icon, owned by the main window
    Information,  // caption "Information", information icon
    Application,  // the application-wide box: no caption of its own
};

inline const char* captionOf(MessageBoxKind kind) {
    switch (kind) {
        case MessageBoxKind::Error: return "Error Message";
        case MessageBoxKind::Information: return "Information";
        case MessageBoxKind::Application: return "";
    }
    return "";
}

}  // namespace ib

// Lock file names. See recorder_lock_file.h.
#include <cctype>

#include "seams/recorder_lock_file.h"

namespace ib {

std::string recorderLockFileName(std::string_view identity) {
    std::string name = "imageburner-recorder-";
    for (const char c : identity) {
        const bool kept = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
        name += kept ? c : '_';
    }
    return name + ".lock";
}

}  // namespace ib

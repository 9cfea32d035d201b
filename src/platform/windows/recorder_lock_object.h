// The recorder lock on Windows: a named kernel object in the machine-wide
// "Global" namespace, so that programs under different accounts (each
// elevated, each with a temporary folder of its own) exclude each other. The
// object exists while the holder keeps its handle; the system closes that
// however the program ends. The holder's process id sits in the object for a
// second program to name.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "seams/recorder_lock.h"

namespace ib::platform {

// "Global\\imageburner-recorder-<identity>" with every character of the
// identity but letters, digits, '-' and '.' as '_' (an object name holds no
// backslash after its namespace).
std::wstring recorderLockObjectName(std::string_view identity);

// The (not yet taken) lock of the recorder known by `identity`.
std::unique_ptr<RecorderLock> recorderLockObject(std::string_view identity);

}  // namespace ib::platform

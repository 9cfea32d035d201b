// The operating system's name for an open file: a descriptor on POSIX systems, a
// HANDLE on Windows. Only each platform's own files look inside it.
#pragma once

namespace ib::tools {

#ifdef _WIN32
using NativeHandle = void*;
#else
using NativeHandle = int;
#endif

}  // namespace ib::tools

// The MD5 digest of an open file, computed on a thread of its own while the caller does
// other work with the same file (both read it through the page cache, each at its own
// offsets). Destroying it before result() stops the thread early.
#pragma once

#include <cstdint>
#include <exception>
#include <thread>

#include "tools/md5.h"
#include "tools/source_file.h"

namespace ib::tools {

class BackgroundDigest {
public:
    // Starts hashing the first `length` bytes of `file`, which must stay open until result().
    BackgroundDigest(const SourceFile& file, std::uint64_t length);
    // Waits for the digest; rethrows the ToolFailure of a failed read.
    Md5Digest result();

private:
    void hash(std::stop_token stop, const SourceFile& file, std::uint64_t length);

    Md5Digest m_digest{};
    std::exception_ptr m_failure;
    std::jthread m_thread;  // last: it starts once the members it fills exist
};

}  // namespace ib::tools

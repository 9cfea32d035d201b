// Windows has no named pipes in the file system: the stand-in for "a file
// that is not a regular file" is a folder, which the code under test must
// refuse the same way and which nothing can open for reading. See fifo_sentinel.h.
#include <stdexcept>

#include "support/fifo_sentinel.h"

namespace ib::test {

FifoSentinel::FifoSentinel(std::filesystem::path path) : m_path(std::move(path)) {
    if (!std::filesystem::create_directory(m_path)) throw std::runtime_error("cannot create " + m_path.string());
}

FifoSentinel::~FifoSentinel() = default;

void FifoSentinel::watch() {}

}  // namespace ib::test

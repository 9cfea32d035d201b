// MD5 through Windows' CNG (bcrypt). See md5.h.
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>

#include "tools/md5.h"
#include "tools/tool_failure.h"

namespace ib::tools {
namespace {

bool succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

// One hash object at a time on the provider; finish() closes it and opens the next,
// as a finished CNG hash cannot be used again.
struct Md5::Context {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;

    Context() {
        if (!succeeded(::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0)))
            throw ToolFailure("the system's cryptographic library offers no MD5");
    }
    ~Context() {
        closeHash();
        ::BCryptCloseAlgorithmProvider(algorithm, 0);
    }
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    void start() {
        // The object's memory is kept by CNG itself (no buffer given).
        if (!succeeded(::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0)))
            throw ToolFailure("the system's cryptographic library offers no MD5");
    }
    void closeHash() {
        if (hash != nullptr) ::BCryptDestroyHash(hash);
        hash = nullptr;
    }
};

Md5::Md5() : m_context(std::make_unique<Context>()) { m_context->start(); }

Md5::~Md5() = default;

void Md5::update(std::span<const std::uint8_t> bytes) {
    // BCryptHashData takes at most 4 GiB - 1 at a time.
    constexpr std::size_t kMostPerCall = 1u << 30;
    while (!bytes.empty()) {
        const std::span<const std::uint8_t> piece = bytes.first(std::min(bytes.size(), kMostPerCall));
        if (!succeeded(::BCryptHashData(m_context->hash, const_cast<PUCHAR>(piece.data()),
                                        static_cast<ULONG>(piece.size()), 0)))
            throw ToolFailure("computing the MD5 digest failed");
        bytes = bytes.subspan(piece.size());
    }
}

Md5Digest Md5::finish() {
    Md5Digest digest{};
    const bool finished = succeeded(
        ::BCryptFinishHash(m_context->hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    m_context->closeHash();
    if (!finished) throw ToolFailure("computing the MD5 digest failed");
    m_context->start();
    return digest;
}

}  // namespace ib::tools

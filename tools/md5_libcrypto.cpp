// MD5 through libcrypto's EVP interface. See md5.h.
#include <openssl/evp.h>

#include "tools/md5.h"
#include "tools/tool_failure.h"

namespace ib::tools {

struct Md5::Context {
    struct Free {
        void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
    };
    std::unique_ptr<EVP_MD_CTX, Free> evp{EVP_MD_CTX_new()};

    void start() {
        if (!evp || EVP_DigestInit_ex(evp.get(), EVP_md5(), nullptr) != 1)
            throw ToolFailure("the cryptographic library offers no MD5");
    }
};

Md5::Md5() : m_context(std::make_unique<Context>()) { m_context->start(); }

Md5::~Md5() = default;

void Md5::update(std::span<const std::uint8_t> bytes) {
    if (EVP_DigestUpdate(m_context->evp.get(), bytes.data(), bytes.size()) != 1)
        throw ToolFailure("computing the MD5 digest failed");
}

Md5Digest Md5::finish() {
    Md5Digest digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(m_context->evp.get(), digest.data(), &length) != 1 || length != digest.size())
        throw ToolFailure("computing the MD5 digest failed");
    m_context->start();
    return digest;
}

}  // namespace ib::tools

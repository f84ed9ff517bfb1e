#include "cipher/scratch_cipher.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>

#include "cipher/wipe.h"

namespace verlo::cipher {

ScratchKey::ScratchKey() {
    if (RAND_bytes(bytes_.data(), static_cast<int>(bytes_.size())) != 1)
        throw std::runtime_error("no random bytes for a scratch key");
}

ScratchKey::~ScratchKey() { secureFill(bytes_.data(), bytes_.size(), 0); }

ScratchStream::ScratchStream(const ScratchKey& key) : context_(EVP_CIPHER_CTX_new()) {
    if (!context_) throw std::bad_alloc();
    if (EVP_EncryptInit_ex(context_, EVP_aes_128_ctr(), nullptr, key.bytes_.data(), key.bytes_.data() + 16) != 1) {
        EVP_CIPHER_CTX_free(context_);
        throw std::runtime_error("AES is not available");
    }
}

ScratchStream::~ScratchStream() { EVP_CIPHER_CTX_free(context_); }

void ScratchStream::apply(char* data, std::size_t size) {
    auto* p = reinterpret_cast<unsigned char*>(data);
    while (size > 0) {
        const int n = static_cast<int>(std::min<std::size_t>(size, INT_MAX / 2));
        int written = 0;
        if (EVP_EncryptUpdate(context_, p, &written, p, n) != 1 || written != n)
            throw std::runtime_error("AES counter mode failed");
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

}  // namespace verlo::cipher

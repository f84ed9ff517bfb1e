#include "cipher/rijndael.h"

#include <openssl/evp.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "cipher/wipe.h"

namespace verlo::cipher {

TDCP_rijndael::TDCP_rijndael() : fContext(EVP_CIPHER_CTX_new()) {
    if (!fContext) throw std::bad_alloc();
}

TDCP_rijndael::~TDCP_rijndael() {
    eraseKey();
    EVP_CIPHER_CTX_free(fContext);
}

void TDCP_rijndael::eraseKey() {
    fRounds = 0;
    secureFill(fKey.data(), fKey.size(), 0);
    // Releases the schedule; OpenSSL clears it before freeing.
    EVP_CIPHER_CTX_reset(fContext);
}

void TDCP_rijndael::Wipe() {
    eraseKey();
    TDCP_blockcipher128::Wipe();
}

void TDCP_rijndael::ExpandKey(const std::uint8_t* key, int sizeBits) {
    const std::size_t length = static_cast<std::size_t>(sizeBits / 8);
    fKey.fill(0);
    std::memcpy(fKey.data(), key, std::min(length, fKey.size()));
    const EVP_CIPHER* cipher;
    if (length <= 16) {
        fRounds = 10;
        cipher = EVP_aes_128_ecb();
    } else if (length <= 24) {
        fRounds = 12;
        cipher = EVP_aes_192_ecb();
    } else {
        fRounds = 14;
        cipher = EVP_aes_256_ecb();
    }
    if (EVP_EncryptInit_ex(fContext, cipher, nullptr, fKey.data(), nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(fContext, 0) != 1) {
        Wipe();
        throw EDCP_cipher("AES is not available");
    }
}

void TDCP_rijndael::EncryptBlock(const std::uint8_t* in, std::uint8_t* out) {
    checkInitialized();
    int written = 0;
    if (EVP_EncryptUpdate(fContext, out, &written, in, 16) != 1 || written != 16)
        throw EDCP_blockcipher("AES block encryption failed");
}

void TDCP_rijndael::EncryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    checkInitialized();
    constexpr std::size_t kMaxBlocksPerCall = INT_MAX / 16;
    while (count > 0) {
        const std::size_t n = std::min(count, kMaxBlocksPerCall);
        const int bytes = static_cast<int>(16 * n);
        int written = 0;
        if (EVP_EncryptUpdate(fContext, out, &written, in, bytes) != 1 || written != bytes)
            throw EDCP_blockcipher("AES block encryption failed");
        in += 16 * n;
        out += 16 * n;
        count -= n;
    }
}

}  // namespace verlo::cipher

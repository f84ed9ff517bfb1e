#include "cipher/rijndael.h"

#include <openssl/evp.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "cipher/wipe.h"

namespace verlo::cipher {

namespace {

// Decryption splits into two threads from this many bytes, and works in batches of this many.
constexpr std::size_t kParallelFrom = 256 * 1024;
constexpr std::size_t kDecryptBatch = 16 * 1024;

}  // namespace

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
    secureFill(&fSchedule, sizeof fSchedule, 0);
    fFast = false;
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
    fFast = aesni::available();
    if (fFast) aesni::expandKey(fKey.data(), length <= 16 ? 16 : length <= 24 ? 24 : 32, fSchedule);
}

void TDCP_rijndael::EncryptBlock(const std::uint8_t* in, std::uint8_t* out) {
    checkInitialized();
    if (fFast) {
        aesni::encryptBlock(fSchedule, in, out);
        return;
    }
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

void TDCP_rijndael::EncryptCfb8(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    checkInitialized();
    if (!fFast) {
        TDCP_blockcipher128::EncryptCfb8(in, out, count);
        return;
    }
    aesni::encryptCfb8(fSchedule, fCV.data(), in, out, count);
}

void TDCP_rijndael::decryptPart(const std::uint8_t* reg, const std::uint8_t* in, std::uint8_t* out,
                                std::size_t count) const {
    // The register followed by a batch of ciphertext, copied before out (maybe in) is written.
    std::vector<std::uint8_t> sequence(16 + std::min(count, kDecryptBatch));
    std::memcpy(sequence.data(), reg, 16);
    for (std::size_t done = 0; done < count;) {
        const std::size_t n = std::min(kDecryptBatch, count - done);
        std::memcpy(sequence.data() + 16, in + done, n);
        aesni::decryptCfb8(fSchedule, sequence.data(), out + done, n);
        std::memmove(sequence.data(), sequence.data() + n, 16);
        done += n;
    }
    secureFill(sequence.data(), sequence.size(), 0);
}

void TDCP_rijndael::DecryptCfb8(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    checkInitialized();
    if (!fFast) {
        TDCP_blockcipher128::DecryptCfb8(in, out, count);
        return;
    }
    // The register before byte i is the last 16 bytes of (register, in[0..i)): the second
    // half starts from ciphertext alone, so the halves are independent.
    auto registerBefore = [&](std::size_t i, std::uint8_t* reg) {
        const std::size_t fromRegister = i < 16 ? 16 - i : 0;
        std::memcpy(reg, fCV.data() + 16 - fromRegister, fromRegister);
        std::memcpy(reg + fromRegister, in + i - (16 - fromRegister), 16 - fromRegister);
    };
    Block first = fCV;
    Block last;
    registerBefore(count, last.data());
    if (count >= kParallelFrom && std::thread::hardware_concurrency() > 1) {
        const std::size_t half = count / 2;
        Block second;
        registerBefore(half, second.data());
        std::thread other([&] { decryptPart(second.data(), in + half, out + half, count - half); });
        decryptPart(first.data(), in, out, half);
        other.join();
        secureFill(second.data(), second.size(), 0);
    } else {
        decryptPart(first.data(), in, out, count);
    }
    fCV = last;
    secureFill(first.data(), first.size(), 0);
    secureFill(last.data(), last.size(), 0);
}

}  // namespace verlo::cipher

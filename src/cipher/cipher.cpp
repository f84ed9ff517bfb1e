#include "cipher/cipher.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "cipher/base64.h"
#include "cipher/wipe.h"

namespace verlo::cipher {

namespace {

const char kNotInitialized[] = "Cipher not initialized";

// Register states encrypted per batch when decrypting: 1024 windows of 16 bytes.
constexpr std::size_t kBatch = 1024;

}  // namespace

// ---- TDCP_cipher

TDCP_cipher::~TDCP_cipher() { fInitialized = false; }

void TDCP_cipher::SetKey(const std::uint8_t* key, int sizeBits) {
    if (fInitialized) Wipe();
    if (sizeBits <= 0 || sizeBits % 4 != 0 || sizeBits > MaxKeySize()) throw EDCP_cipher("Invalid key size");
    fInitialized = true;
    ExpandKey(key, sizeBits);
}

void TDCP_cipher::SetKeyFromText(std::string_view keyText, const TDCP_hashclass& hashClass) {
    if (fInitialized) Wipe();
    std::unique_ptr<std::uint8_t[]> digest;
    std::size_t digestSize = 0;
    try {
        digestSize = static_cast<std::size_t>(hashClass.HashSize / 8);
        digest.reset(new std::uint8_t[digestSize]);
        {
            std::unique_ptr<TDCP_hash> hash = hashClass.Create();
            hash->Init();
            hash->UpdateStr(keyText);
            hash->Final(digest.get());
        }
        SetKey(digest.get(), MaxKeySize() < hashClass.HashSize ? MaxKeySize() : hashClass.HashSize);
        secureFill(digest.get(), digestSize, 0xFF);
    } catch (...) {
        if (digest) secureFill(digest.get(), digestSize, 0xFF);
        throw EDCP_cipher("Unable to allocate sufficient memory for hash digest");
    }
}

void TDCP_cipher::Wipe() { fInitialized = false; }

// ---- TDCP_blockcipher

std::string TDCP_blockcipher::EncryptToText(std::string_view bytes) {
    std::string encrypted(bytes.size(), '\0');
    EncryptCfb8(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                reinterpret_cast<std::uint8_t*>(encrypted.data()), bytes.size());
    std::string text = EncodeBase64(encrypted);
    secureFill(encrypted.data(), encrypted.size(), 0);
    return text;
}

std::string TDCP_blockcipher::DecryptFromText(std::string_view text) {
    std::string bytes = DecodeBase64(text);
    auto* p = reinterpret_cast<std::uint8_t*>(bytes.data());
    DecryptCfb8(p, p, bytes.size());
    return bytes;
}

// ---- TDCP_blockcipher128

TDCP_blockcipher128::TDCP_blockcipher128() {
    fIV.fill(0xFF);
    fCV.fill(0xFF);
}

TDCP_blockcipher128::~TDCP_blockcipher128() {
    secureFill(fIV.data(), fIV.size(), 0xFF);
    secureFill(fCV.data(), fCV.size(), 0xFF);
}

void TDCP_blockcipher128::checkInitialized() const {
    if (!fInitialized) throw EDCP_blockcipher(kNotInitialized);
}

void TDCP_blockcipher128::SetKey(const std::uint8_t* key, int sizeBits) {
    TDCP_cipher::SetKey(key, sizeBits);
    fIV.fill(0);
    EncryptBlock(fIV.data(), fIV.data());
    ResetFeedback();
}

void TDCP_blockcipher128::Wipe() {
    secureFill(fIV.data(), fIV.size(), 0xFF);
    secureFill(fCV.data(), fCV.size(), 0xFF);
    TDCP_blockcipher::Wipe();
}

void TDCP_blockcipher128::ResetFeedback() {
    checkInitialized();
    fCV = fIV;
}

void TDCP_blockcipher128::EncryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) EncryptBlock(in + 16 * i, out + 16 * i);
}

void TDCP_blockcipher128::EncryptCfb8(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    checkInitialized();
    // Each byte needs the block of the register that ends with the byte before it: the
    // blocks run one after another.
    Block e;
    for (std::size_t i = 0; i < count; ++i) {
        EncryptBlock(fCV.data(), e.data());
        const std::uint8_t c = in[i] ^ e[0];
        std::memmove(fCV.data(), fCV.data() + 1, 15);
        fCV[15] = c;
        out[i] = c;
    }
    secureFill(e.data(), e.size(), 0);
}

void TDCP_blockcipher128::DecryptCfb8(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    checkInitialized();
    if (count == 0) return;
    // The register before byte i is the last 16 bytes of (feedback register, in[0..i)):
    // every state is known before any block is encrypted. Per batch, lay the states out
    // as consecutive 16-byte windows of that sequence and encrypt them in one call.
    const std::size_t batch = std::min(count, kBatch);
    std::vector<std::uint8_t> sequence(16 + batch);
    std::vector<std::uint8_t> windows(16 * batch);
    for (std::size_t done = 0; done < count;) {
        const std::size_t n = std::min(batch, count - done);
        std::memcpy(sequence.data(), fCV.data(), 16);
        std::memcpy(sequence.data() + 16, in + done, n);  // copied before out (maybe in) is written
        for (std::size_t j = 0; j < n; ++j) std::memcpy(windows.data() + 16 * j, sequence.data() + j, 16);
        EncryptBlocks(windows.data(), windows.data(), n);
        for (std::size_t j = 0; j < n; ++j) out[done + j] = sequence[16 + j] ^ windows[16 * j];
        std::memcpy(fCV.data(), sequence.data() + n, 16);
        done += n;
    }
    secureFill(windows.data(), windows.size(), 0);
    secureFill(sequence.data(), sequence.size(), 0);
}

}  // namespace verlo::cipher

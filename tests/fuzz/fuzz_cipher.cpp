// Base64 and the text cipher against OpenSSL: the encoder agrees with EVP_EncodeBlock,
// the decoder with EVP_DecodeBlock on canonical text and never fails on any text, and
// decryption agrees with AES-192 in 8-bit CFB mode done by OpenSSL (key and check as the
// cipher's header describes them). Input: a key length byte, the key, then the text.
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <string>
#include <vector>

#include "cipher/base64.h"
#include "cipher/text_cipher.h"
#include "fuzz_check.h"

using namespace verlo::cipher;

namespace {

std::string evpEncode(std::string_view bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::string upperHex(const unsigned char* p, std::size_t n) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += kDigits[p[i] >> 4];
        out += kDigits[p[i] & 15];
    }
    return out;
}

// What decryption must give, done by OpenSSL on the decoded bytes.
std::optional<std::string> reference(std::string_view encoded, std::string_view key) {
    unsigned char k[24] = {};
    SHA1(reinterpret_cast<const unsigned char*>(key.data()), key.size(), k);
    unsigned char iv[16] = {};
    unsigned char zero[16] = {};
    int n = 0;
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(ctx, EVP_aes_192_ecb(), nullptr, k, nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    EVP_EncryptUpdate(ctx, iv, &n, zero, 16);
    const std::string bytes = DecodeBase64(encoded);
    std::string plain(bytes.size() + 16, '\0');
    EVP_DecryptInit_ex(ctx, EVP_aes_192_cfb8(), nullptr, k, iv);
    EVP_DecryptUpdate(ctx, reinterpret_cast<unsigned char*>(plain.data()), &n,
                      reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    EVP_CIPHER_CTX_free(ctx);
    plain.resize(static_cast<std::size_t>(n));
    const std::size_t check = std::min<std::size_t>(plain.size(), 4);
    const std::string rest = plain.substr(check);
    std::string expected;
    if (!rest.empty()) {
        unsigned char digest[20];
        SHA1(reinterpret_cast<const unsigned char*>(rest.data()), rest.size(), digest);
        expected = upperHex(digest, 20).substr(0, 4);
    }
    if (plain.substr(0, check) != expected) return std::nullopt;
    return rest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t keyLength = std::min<std::size_t>(data[0], size - 1);
    const std::string key(reinterpret_cast<const char*>(data) + 1, keyLength);
    const std::string text(reinterpret_cast<const char*>(data) + 1 + keyLength, size - 1 - keyLength);

    const std::string encoded = EncodeBase64(text);
    FUZZ_CHECK(encoded == evpEncode(text));
    FUZZ_CHECK(DecodeBase64(encoded) == text);
    const std::string decoded = DecodeBase64(text);  // any text: lenient, never fails
    FUZZ_CHECK(decoded.size() <= 3 * (text.size() / 4));

    FUZZ_CHECK(TryDecryptText(text, key) == reference(text, key));
    FUZZ_CHECK(TryDecryptText(EncryptText(text, key), key) == text);
    return 0;
}

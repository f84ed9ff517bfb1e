// The encrypted text form made and read in pieces is the whole-text form, and the block cipher
// behind 8-bit CFB (the processor's instructions, decryption split between threads) agrees
// with OpenSSL's own 8-bit CFB.
#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <random>
#include <string>

#include "cipher/aes_ni.h"
#include "cipher/rijndael.h"
#include "cipher/text_cipher.h"
#include "cipher/text_cipher_stream.h"

using namespace verlo::cipher;

namespace {

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
}

std::string encryptInPieces(std::string_view plain, std::string_view key, std::size_t step) {
    PlainTextDigest digest;
    for (std::size_t i = 0; i < plain.size(); i += step) digest.add(plain.substr(i, step));
    TextEncryptor encryptor(key, digest.finish());
    std::string out;
    for (std::size_t i = 0; i < plain.size(); i += step) encryptor.add(plain.substr(i, step), out);
    encryptor.finish(out);
    return out;
}

std::optional<std::string> decryptInPieces(std::string_view text, std::string_view key, std::size_t step) {
    TextDecryptor decryptor(key);
    std::string out;
    bool hopeless = false;
    for (std::size_t i = 0; i < text.size(); i += step) {
        decryptor.add(text.substr(i, step), out);
        hopeless = hopeless || decryptor.hopeless();
    }
    const bool ok = decryptor.finish();
    EXPECT_FALSE(ok && hopeless) << "hopeless, yet it passed";
    if (!ok) return std::nullopt;
    return out;
}

// OpenSSL's 8-bit CFB with the key and register a freshly keyed TDCP_rijndael uses.
std::string opensslCfb8(const std::string& key, const TDCP_rijndael& keyed, std::string_view in, bool encrypt) {
    const EVP_CIPHER* cipher = key.size() == 16 ? EVP_aes_128_cfb8() : key.size() == 24 ? EVP_aes_192_cfb8() : EVP_aes_256_cfb8();
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    std::string out(in.size(), '\0');
    int n = 0;
    EVP_CipherInit_ex(ctx, cipher, nullptr, reinterpret_cast<const unsigned char*>(key.data()),
                      keyed.InitialVector().data(), encrypt ? 1 : 0);
    EVP_CipherUpdate(ctx, reinterpret_cast<unsigned char*>(out.data()), &n,
                     reinterpret_cast<const unsigned char*>(in.data()), static_cast<int>(in.size()));
    EVP_CIPHER_CTX_free(ctx);
    return out;
}

}  // namespace

TEST(TextCipherStream, PiecesGiveTheWholeTextsForm) {
    const std::string key = "\x94\xE9\x96\xA7 key";
    for (std::size_t size : {0, 1, 3, 4, 5, 100, 5000}) {
        const std::string plain = randomBytes(size, static_cast<unsigned>(size));
        const std::string whole = EncryptText(plain, key);
        for (std::size_t step : {1, 2, 3, 4, 7, 4096}) {
            SCOPED_TRACE("size " + std::to_string(size) + ", pieces of " + std::to_string(step));
            EXPECT_EQ(encryptInPieces(plain, key, step), whole);
            EXPECT_EQ(decryptInPieces(whole, key, step), DecryptForDocument(whole, key));
        }
    }
}

TEST(TextCipherStream, PiecesFailWhereTheWholeTextFails) {
    const std::string key = "key";
    const std::string good = EncryptText(randomBytes(3000, 7), key);
    std::string lateDamage = good;
    lateDamage[lateDamage.size() - 10] = lateDamage[lateDamage.size() - 10] == 'A' ? 'B' : 'A';
    for (const std::string& text : {good, lateDamage, good.substr(0, good.size() - 8), std::string("QUJD"),
                                    std::string("QUJDRA=="), std::string("QU"), std::string(), good + "xy"}) {
        for (const std::string& k : {key, std::string("wrong")}) {
            for (std::size_t step : {1, 5, 4096}) {
                SCOPED_TRACE(text.substr(0, 12) + " (" + std::to_string(text.size()) + ") under " + k +
                             ", pieces of " + std::to_string(step));
                EXPECT_EQ(decryptInPieces(text, k, step), DecryptForDocument(text, k));
            }
        }
    }
}

TEST(TextCipherStream, Cfb8AgreesWithOpenSslAtEveryKeySizeAndSplitsDecryption) {
    // Past the size from which decryption runs on two threads, and not a multiple of anything.
    const std::string plain = randomBytes(700001, 3);
    for (std::size_t keySize : {16, 24, 32}) {
        SCOPED_TRACE("key of " + std::to_string(keySize) + " bytes");
        const std::string key = randomBytes(keySize, static_cast<unsigned>(keySize));
        TDCP_rijndael cipher;
        cipher.SetKey(reinterpret_cast<const std::uint8_t*>(key.data()), static_cast<int>(keySize * 8));
        const std::string expected = opensslCfb8(key, cipher, plain, true);

        std::string text = plain;
        auto* p = reinterpret_cast<std::uint8_t*>(text.data());
        cipher.EncryptCfb8(p, p, 1000);  // in two calls: the register carries over
        cipher.EncryptCfb8(p + 1000, p + 1000, text.size() - 1000);
        EXPECT_TRUE(text == expected);

        cipher.ResetFeedback();
        cipher.DecryptCfb8(p, p, 300000);  // in place, on two threads
        cipher.DecryptCfb8(p + 300000, p + 300000, 7);
        cipher.DecryptCfb8(p + 300007, p + 300007, text.size() - 300007);
        EXPECT_TRUE(text == plain);
        EXPECT_TRUE(opensslCfb8(key, cipher, expected, false) == plain);

        // The processor's instructions one block at a time and four at a time (where it has
        // them), over lengths that end anywhere in a step.
        if (!verlo::cipher::aesni::available()) continue;
        verlo::cipher::aesni::Schedule schedule;
        verlo::cipher::aesni::expandKey(reinterpret_cast<const std::uint8_t*>(key.data()), keySize, schedule);
        const auto& iv = cipher.InitialVector();
        const std::string sequence = std::string(iv.begin(), iv.end()) + expected;
        for (const auto width : {verlo::cipher::aesni::Width::Narrow, verlo::cipher::aesni::Width::Widest}) {
            for (std::size_t count : {std::size_t{1}, std::size_t{32}, std::size_t{43}, std::size_t{44}, std::size_t{77},
                                      plain.size()}) {
                // Exactly as long as it must be: a sanitized build sees any byte read past it.
                const std::string exact = sequence.substr(0, 16 + count);
                std::string out(count, '\0');
                verlo::cipher::aesni::decryptCfb8(schedule, reinterpret_cast<const std::uint8_t*>(exact.data()),
                                                  reinterpret_cast<std::uint8_t*>(out.data()), count, width);
                EXPECT_TRUE(out == plain.substr(0, count)) << count << (width == verlo::cipher::aesni::Width::Narrow ? " narrow" : " wide");
            }
        }
    }
}

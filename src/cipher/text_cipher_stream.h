// The encrypted text form of text_cipher.h made and read a piece at a time, for texts too
// large to hold at once. Fed the same bytes in any pieces, they give exactly what
// EncryptText and DecryptForDocument give for the whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cipher/hash.h"
#include "cipher/rijndael.h"

namespace verlo::cipher {

// Sha1Hex of a plaintext given in pieces.
class PlainTextDigest {
public:
    PlainTextDigest();
    void add(std::string_view piece);
    // Sha1Hex of everything added ("" when nothing was); ends the digest.
    std::string finish();

private:
    TDCP_sha1 hash_;
    std::uint64_t size_ = 0;
};

class TextEncryptor {
public:
    // plainSha1Hex: Sha1Hex of the whole plaintext, which the encrypted form starts with.
    TextEncryptor(std::string_view keyText, std::string_view plainSha1Hex);
    ~TextEncryptor();
    TextEncryptor(const TextEncryptor&) = delete;
    TextEncryptor& operator=(const TextEncryptor&) = delete;

    // Appends to out the Base64 of the plaintext pieces given so far, as far as it makes
    // whole groups of characters.
    void add(std::string_view plain, std::string& out);
    // Appends the rest.
    void finish(std::string& out);

private:
    void encrypt(std::string_view plain, std::string& out);

    TDCP_rijndael cipher_;
    std::string held_;  // encrypted bytes not yet written as Base64
    std::string buffer_;
};

class TextDecryptor {
public:
    explicit TextDecryptor(std::string_view keyText);
    ~TextDecryptor();
    TextDecryptor(const TextDecryptor&) = delete;
    TextDecryptor& operator=(const TextDecryptor&) = delete;

    // Appends to out the plaintext of the encoded pieces given so far (without the check
    // characters that start it).
    void add(std::string_view encoded, std::string& out);
    // True when what was decrypted so far cannot pass the check, whatever follows.
    bool hopeless() const;
    // Whether the whole text passes the check (DecryptForDocument gives a plaintext).
    bool finish();

private:
    TDCP_rijndael cipher_;
    PlainTextDigest digest_;
    std::string heldText_;  // encoded characters not yet decoded (fewer than 4)
    std::string check_;     // the first (up to 4) decrypted bytes
    std::string buffer_;
    bool anyText_ = false;
};

}  // namespace verlo::cipher

// The cipher class chain, root first: TDCP_cipher (initialised flag, key-size check, key
// setup from a key text), TDCP_blockcipher (cipher mode, the two text operations),
// TDCP_blockcipher128 (16-byte blocks, initial vector, feedback register, 8-bit CFB).
// The concrete cipher is TDCP_rijndael (rijndael.h).
//
// A cipher object is used once: create, SetKeyFromText, one EncryptToText or
// DecryptFromText, Wipe, release. Releasing it wipes it as well.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "cipher/hash.h"

namespace verlo::cipher {

class EDCP_cipher : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EDCP_blockcipher : public EDCP_cipher {
public:
    using EDCP_cipher::EDCP_cipher;
};

// Stored but never consulted by the text operations, which always work in 8-bit CFB.
enum TDCP_ciphermode : std::uint8_t { cmCBC, cmCFB8bit, cmCFBblock, cmOFB, cmCTR };

class TDCP_cipher {
public:
    virtual ~TDCP_cipher();
    TDCP_cipher(const TDCP_cipher&) = delete;
    TDCP_cipher& operator=(const TDCP_cipher&) = delete;

    virtual std::string Algorithm() const = 0;
    virtual int MaxKeySize() const = 0;  // bits

    // Wipes a keyed object, checks the size (a positive multiple of 4 bits, at most
    // MaxKeySize; else EDCP_cipher "Invalid key size"), sets the initialised flag and
    // expands the key. Block ciphers go on to set up the default initial vector.
    virtual void SetKey(const std::uint8_t* key, int sizeBits);

    // Keys the cipher with the digest of keyText under a hash object of hashClass (made,
    // used and released here); the digest is used whole, or cut to MaxKeySize. Any
    // failure comes out as EDCP_cipher "Unable to allocate sufficient memory for hash digest".
    void SetKeyFromText(std::string_view keyText, const TDCP_hashclass& hashClass);

    // Erases the key material and clears the initialised flag.
    virtual void Wipe();

    bool Initialized() const { return fInitialized; }

protected:
    TDCP_cipher() = default;
    virtual void ExpandKey(const std::uint8_t* key, int sizeBits) = 0;

    bool fInitialized = false;
};

class TDCP_blockcipher : public TDCP_cipher {
public:
    TDCP_ciphermode CipherMode = cmCBC;

    virtual int BlockSize() const = 0;  // bits
    virtual void ResetFeedback() = 0;
    // The forward block cipher on one block; in and out may be the same buffer.
    virtual void EncryptBlock(const std::uint8_t* in, std::uint8_t* out) = 0;
    // 8-bit CFB over count bytes, continuing from the feedback register; in and out may
    // be the same buffer. Both directions use only the forward block cipher.
    virtual void EncryptCfb8(const std::uint8_t* in, std::uint8_t* out, std::size_t count) = 0;
    virtual void DecryptCfb8(const std::uint8_t* in, std::uint8_t* out, std::size_t count) = 0;

    // 8-bit CFB encryption, then Base64. Neither text operation resets the feedback
    // register; on a freshly keyed object it holds the initial vector.
    virtual std::string EncryptToText(std::string_view bytes);
    // Lenient Base64 decoding (base64.h), then 8-bit CFB decryption.
    virtual std::string DecryptFromText(std::string_view text);

protected:
    TDCP_blockcipher() = default;
};

class TDCP_blockcipher128 : public TDCP_blockcipher {
public:
    using Block = std::array<std::uint8_t, 16>;

    ~TDCP_blockcipher128() override;

    int BlockSize() const override { return 128; }
    // After the key: the initial vector is the encryption of 16 zero bytes, and the
    // feedback register starts from it.
    void SetKey(const std::uint8_t* key, int sizeBits) override;
    // Fills the initial vector and the feedback register with 0xFF bytes.
    void Wipe() override;
    void ResetFeedback() override;
    void EncryptCfb8(const std::uint8_t* in, std::uint8_t* out, std::size_t count) override;
    void DecryptCfb8(const std::uint8_t* in, std::uint8_t* out, std::size_t count) override;

    // The forward cipher on count independent consecutive blocks (in and out may be the
    // same buffer). The default calls EncryptBlock for each; a cipher that can do many
    // blocks at once overrides it. Decryption in 8-bit CFB knows all its register states
    // in advance and encrypts them in batches through this.
    virtual void EncryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t count);

    const Block& InitialVector() const { return fIV; }
    const Block& FeedbackRegister() const { return fCV; }

protected:
    TDCP_blockcipher128();
    void checkInitialized() const;

    Block fIV;  // initial vector
    Block fCV;  // feedback register
};

}  // namespace verlo::cipher

// TDCP_rijndael: AES on 16-byte blocks, keyed with up to 256 bits. Only the forward cipher
// exists; 8-bit CFB needs nothing else. The block cipher is the processor's AES instructions
// when it has them (aes_ni.h), otherwise OpenSSL's through EVP. Decryption of more than a few
// hundred kilobytes at once is split between two threads.
#pragma once

#include <openssl/types.h>

#include <array>
#include <cstdint>
#include <string>

#include "cipher/aes_ni.h"
#include "cipher/cipher.h"

namespace verlo::cipher {

class TDCP_rijndael final : public TDCP_blockcipher128 {
public:
    static constexpr int kMaxKeySize = 256;

    TDCP_rijndael();
    ~TDCP_rijndael() override;

    std::string Algorithm() const override { return "Rijndael"; }
    int MaxKeySize() const override { return kMaxKeySize; }
    // 10, 12 or 14 once keyed; 0 when wiped.
    std::int32_t Rounds() const { return fRounds; }

    // Without a key both raise EDCP_blockcipher "Cipher not initialized".
    void EncryptBlock(const std::uint8_t* in, std::uint8_t* out) override;
    void EncryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t count) override;
    void EncryptCfb8(const std::uint8_t* in, std::uint8_t* out, std::size_t count) override;
    void DecryptCfb8(const std::uint8_t* in, std::uint8_t* out, std::size_t count) override;

    // Sets the round count to 0 and erases the key and its schedule.
    void Wipe() override;

protected:
    // The first sizeBits / 8 bytes of key, zero-filled to 32 bytes; up to 16 bytes give
    // AES-128 from the first 16, 17 to 24 AES-192 from the first 24, more AES-256.
    void ExpandKey(const std::uint8_t* key, int sizeBits) override;

private:
    void eraseKey();

    // Part of DecryptCfb8 with the processor's instructions: count bytes from the register reg.
    void decryptPart(const std::uint8_t* reg, const std::uint8_t* in, std::uint8_t* out, std::size_t count) const;

    EVP_CIPHER_CTX* fContext;  // holds the key schedule
    bool fFast = false;        // fSchedule holds the key schedule too, for the AES instructions
    aesni::Schedule fSchedule{};
    std::int32_t fRounds = 0;
    std::array<std::uint8_t, 32> fKey{};
};

}  // namespace verlo::cipher

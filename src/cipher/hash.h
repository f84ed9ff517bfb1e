// Message digests: the hash class chain (TDCP_hash, TDCP_sha1) over OpenSSL's EVP digests.
//
// A hash object is started with Init(), fed with Update() in order, and hands out its
// digest with Final(), which wipes its state: it must be started again before further use.
// Feeding it or asking for the digest before it is started raises EDCP_hash.
#pragma once

#include <openssl/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace verlo::cipher {

class EDCP_hash : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TDCP_hash;

// A hash class as a value: what a cipher needs to make its own hash object of that class
// (see TDCP_cipher::SetKeyFromText). Each concrete hash class has one, from Class().
struct TDCP_hashclass {
    const char* Algorithm;
    int HashSize;  // bits
    std::unique_ptr<TDCP_hash> (*Create)();
};

class TDCP_hash {
public:
    virtual ~TDCP_hash() = default;
    TDCP_hash(const TDCP_hash&) = delete;
    TDCP_hash& operator=(const TDCP_hash&) = delete;

    virtual std::string Algorithm() const = 0;
    virtual int HashSize() const = 0;  // bits

    virtual void Init() = 0;
    virtual void Update(const void* data, std::size_t size) = 0;
    void UpdateStr(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
    // Writes HashSize() / 8 bytes to digest and wipes the state.
    virtual void Final(void* digest) = 0;
    // Wipes the state without a digest.
    virtual void Burn() = 0;

    bool Initialized() const { return fInitialized; }

protected:
    TDCP_hash() = default;
    bool fInitialized = false;
};

class TDCP_sha1 final : public TDCP_hash {
public:
    static constexpr int kHashSize = 160;
    static const TDCP_hashclass& Class();

    TDCP_sha1();
    ~TDCP_sha1() override;

    std::string Algorithm() const override { return "SHA1"; }
    int HashSize() const override { return kHashSize; }

    void Init() override;
    void Update(const void* data, std::size_t size) override;
    void Final(void* digest) override;
    void Burn() override;

private:
    EVP_MD_CTX* fContext;
};

// SHA-1 digest of bytes, 20 bytes.
std::string sha1Digest(std::string_view bytes);

}  // namespace verlo::cipher

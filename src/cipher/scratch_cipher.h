// Bytes that must leave memory for a while (a spool file of text read from a pipe) kept
// under a random key that exists only in this object: AES-128 in counter mode. Each
// ScratchStream runs the key stream from the start, so one writes the spool and another
// reads it back.
#pragma once

#include <openssl/types.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace verlo::cipher {

class ScratchKey {
public:
    ScratchKey();  // a new random key
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

private:
    friend class ScratchStream;
    std::array<std::uint8_t, 32> bytes_{};  // key, then the initial counter
};

class ScratchStream {
public:
    explicit ScratchStream(const ScratchKey& key);
    ~ScratchStream();
    ScratchStream(const ScratchStream&) = delete;
    ScratchStream& operator=(const ScratchStream&) = delete;
    // Enciphers (or deciphers: the same) the next size bytes in place.
    void apply(char* data, std::size_t size);

private:
    EVP_CIPHER_CTX* context_;
};

}  // namespace verlo::cipher

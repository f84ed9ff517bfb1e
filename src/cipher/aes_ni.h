// AES through the processor's AES instructions, for the two uses that call the block cipher
// once per byte: 8-bit CFB encryption (one block after another, the round keys kept in
// registers) and 8-bit CFB decryption (every register state known in advance, eight blocks
// in flight at once, or eight registers of four blocks with the 512-bit instructions). Used when the processor has them; otherwise the callers use the
// library's cipher.
#pragma once

#include <cstddef>
#include <cstdint>

namespace verlo::cipher::aesni {

// True when the processor has the AES instructions (and SSE4.1, which the code uses too).
bool available();

// The round keys of the forward cipher.
struct Schedule {
    alignas(16) std::uint8_t keys[15][16];
    int rounds = 0;  // 10, 12 or 14
};

// Expands a key of 16, 24 or 32 bytes. Call only when available().
void expandKey(const std::uint8_t* key, std::size_t length, Schedule& out);

// The forward cipher on one block.
void encryptBlock(const Schedule& schedule, const std::uint8_t* in, std::uint8_t* out);

// 8-bit CFB encryption of count bytes from the register (16 bytes, updated); in and out may
// be the same buffer.
void encryptCfb8(const Schedule& schedule, std::uint8_t* reg, const std::uint8_t* in, std::uint8_t* out,
                 std::size_t count);

// Whether the processor also has the 512-bit AES instructions (and the byte permutes the
// wide decryption uses).
bool wideAvailable();

enum class Width { Widest, Narrow };

// 8-bit CFB decryption given the whole sequence: sequence holds the register before the
// first byte (16 bytes) followed by count ciphertext bytes; out[j] is plaintext byte j.
// out must not overlap sequence. Widest takes four blocks to an instruction where the
// processor can (wideAvailable()); Narrow one, as every AES processor can.
void decryptCfb8(const Schedule& schedule, const std::uint8_t* sequence, std::uint8_t* out, std::size_t count,
                 Width width = Width::Widest);

}  // namespace verlo::cipher::aesni

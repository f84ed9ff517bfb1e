// Overwriting key material so that the compiler cannot drop the stores as dead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace verlo::cipher {

inline void secureFill(void* data, std::size_t size, std::uint8_t value) {
    if (size == 0) return;
    std::memset(data, value, size);
    // The compiler must assume the memory is read here, so the stores stay.
    __asm__ __volatile__("" : : "r"(data) : "memory");
}

}  // namespace verlo::cipher

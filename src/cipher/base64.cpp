#include "cipher/base64.h"

#include <array>
#include <cstdint>

namespace verlo::cipher {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::uint8_t kPad = 255;

// The value of each byte in a group. A byte outside the alphabet (and other than "=")
// counts 0: it is taken, contributes no bits and the group keeps its length, so a damaged
// text decodes to bytes of the expected count that the check of the encrypted form then
// rejects. It is deliberately not 255, which would shorten groups as "=" does.
constexpr std::array<std::uint8_t, 256> makeValues() {
    std::array<std::uint8_t, 256> values{};
    for (int i = 0; i < 64; ++i) values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    values[static_cast<unsigned char>('=')] = kPad;
    return values;
}

constexpr std::array<std::uint8_t, 256> kValues = makeValues();

}  // namespace

std::string EncodeBase64(std::string_view bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3), '\0');
    char* o = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t v = (std::uint32_t{p[i]} << 16) | (std::uint32_t{p[i + 1]} << 8) | p[i + 2];
        *o++ = kAlphabet[(v >> 18) & 63];
        *o++ = kAlphabet[(v >> 12) & 63];
        *o++ = kAlphabet[(v >> 6) & 63];
        *o++ = kAlphabet[v & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        const std::uint32_t v = (std::uint32_t{p[i]} << 16) | (rest == 2 ? std::uint32_t{p[i + 1]} << 8 : 0);
        *o++ = kAlphabet[(v >> 18) & 63];
        *o++ = kAlphabet[(v >> 12) & 63];
        *o++ = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        *o++ = '=';
    }
    return out;
}

std::string DecodeBase64(std::string_view text) {
    std::string out;
    AppendDecodedBase64(text, out);
    return out;
}

void AppendDecodedBase64(std::string_view text, std::string& out) {
    const std::size_t groups = text.size() / 4;
    const std::size_t at = out.size();
    out.resize(at + 3 * groups);
    auto* const begin = reinterpret_cast<unsigned char*>(out.data());
    auto* o = begin + at;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t g = 0; g < groups; ++g) {
        const std::uint8_t a = kValues[p[4 * g]];
        const std::uint8_t b = kValues[p[4 * g + 1]];
        const std::uint8_t c = kValues[p[4 * g + 2]];
        const std::uint8_t d = kValues[p[4 * g + 3]];
        // Each byte in 8 bits: the bits shifted out are dropped.
        *o++ = static_cast<std::uint8_t>((a << 2) | (b >> 4));
        if (c == kPad) continue;
        *o++ = static_cast<std::uint8_t>((b << 4) | (c >> 2));
        if (d == kPad) continue;
        *o++ = static_cast<std::uint8_t>((c << 6) | d);
    }
    out.resize(static_cast<std::size_t>(o - begin));
}

}  // namespace verlo::cipher

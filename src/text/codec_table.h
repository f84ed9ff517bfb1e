// The tables of the CP932 codec, generated from glibc's iconv CP932 converter by
// tools/gen_cp932_table.sh into cp932_table.cpp (see there for what each holds).
#pragma once

#include <cstddef>

namespace verlo::text::codec::table {

inline constexpr std::size_t kLeadCount = 60;           // 0x81-0x9F and 0xE0-0xFC
inline constexpr std::size_t kRoundTripCount = 398;     // codes decoded to U+E800...
inline constexpr std::size_t kUnassignedCount = 1676;   // codes decoded to U+EC00...
inline constexpr std::size_t kEncodeExtraCount = 9;

inline constexpr char32_t kRoundTripBase = 0xE800;
inline constexpr char32_t kUnassignedBase = 0xEC00;
inline constexpr char32_t kInvalidByteBase = 0xF780;

constexpr std::size_t leadIndex(unsigned lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31; }

// byte -> character of a one-byte code; 0 for a lead byte (and for byte 0, which is U+0000).
extern const char16_t kSingle[256];
// [leadIndex][trail] -> character; 0 where trail is not a trail byte.
extern const char16_t kDouble[kLeadCount][256];
// What glibc decodes the i-th non-round-tripping code to.
extern const char16_t kStandsFor[kRoundTripCount];

struct EncodeExtra {
    char16_t c;
    unsigned short code;  // one byte (< 0x100) or lead << 8 | trail
};
extern const EncodeExtra kEncodeExtra[kEncodeExtraCount];

}  // namespace verlo::text::codec::table

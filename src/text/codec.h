// Lossless conversion between CP932 bytes and Unicode.
//
// decode() never fails and encode(decode(b)) == b for every byte string b: a byte that is
// not valid text, and a valid code whose Unicode form would encode back to other bytes,
// decode to private-use characters that encode back to exactly those bytes.
// Every character of the code page's rules (cp932.h) decodes to exactly one code point,
// always in the Basic Multilingual Plane: one UTF-16 unit per character.
//
// The private-use code points the decoder produces:
//   U+E000-U+E757  the code page's own user-defined area F040-F9FC (as everyone decodes it)
//   U+E800-U+E98D  the 398 codes that other decoders map to a character which encodes back
//                  to other bytes (NEC row 13 and the NEC-selected IBM extensions duplicate
//                  characters held elsewhere, e.g. 87 90 and 81 E0 are both U+2252);
//                  standsFor() gives that character, for display and for other programs
//   U+EC00-U+F28B  the 1,676 unassigned codes of a lead byte and a trail byte
//   U+F780 + b     a single byte b that is not text: 0x80, 0xA0, 0xFD-0xFF, and a lead byte
//                  without a trail byte after it
// The last two are what isInvalidByteMark() tells apart.
// encode() accepts every character that the code page can hold, including the forms that
// Linux input methods type for the same bytes (U+301C and U+FF5E both give 81 60, ...),
// and reports the characters it cannot hold instead of substituting them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace verlo::text::codec {

// Decodes one character starting at pos (a character start, pos < s.size());
// *length receives its byte length (1 or 2; 0 with the result 0 when pos is past the end).
char32_t decodeChar(std::string_view s, std::size_t pos, std::size_t* length);

// Whole strings. UTF-16 for Qt, UTF-32 where code points are wanted.
std::u16string decodeUtf16(std::string_view bytes);
std::u32string decodeUtf32(std::string_view bytes);
// Decodes bytes into out, which has room for bytes.size() units (one unit per character at
// most); returns the end of what it wrote. Splits no character when bytes ends at a
// character boundary.
char16_t* decodeUtf16Into(std::string_view bytes, char16_t* out);

struct EncodeResult {
    std::string bytes;               // the encoded text (complete only when ok())
    std::u32string unencodable;      // each character the code page cannot hold, once, in order of appearance
    bool ok() const { return unencodable.empty(); }
};

EncodeResult encode(std::u16string_view text);
EncodeResult encode(std::u32string_view text);

// True when the code point decodes from bytes that are not valid text (shown as a
// replacement mark, kept unchanged in the document).
bool isInvalidByteMark(char32_t c);

// The character a private-use code of the round-trip block (U+E800...) stands for, which
// is what the view shows and what other programs should be given; c itself otherwise.
char32_t standsFor(char32_t c);

// True when encode() accepts c.
bool canEncode(char32_t c);

// The code encode() gives c: a byte below 0x100, else lead << 8 | trail; kNoCode when the
// code page cannot hold c.
inline constexpr unsigned kNoCode = 0xFFFF;
unsigned codeOf(char32_t c);

}  // namespace verlo::text::codec

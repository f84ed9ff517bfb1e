// Lossless conversion between CP932 bytes and Unicode.
//
// decode() never fails and encode(decode(b)) == b for every byte string b: a byte that is
// not valid text, and a valid code whose Unicode form would encode back to other bytes,
// decode to private-use characters that encode back to exactly those bytes.
// encode() accepts every character that the code page can hold, including the forms that
// Linux input methods type for the same bytes (U+301C and U+FF5E both give 81 60, ...),
// and reports the characters it cannot hold instead of substituting them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace verlo::text::codec {

// Decodes one character starting at pos (a character start, pos < s.size());
// *length receives its byte length (1 or 2).
char32_t decodeChar(std::string_view s, std::size_t pos, std::size_t* length);

// Whole strings. UTF-16 for Qt, UTF-32 where code points are wanted.
std::u16string decodeUtf16(std::string_view bytes);
std::u32string decodeUtf32(std::string_view bytes);

struct EncodeResult {
    std::string bytes;               // the encoded text (complete only when ok())
    std::u32string unencodable;      // each character the code page cannot hold, once, in order of appearance
    bool ok() const { return unencodable.empty(); }
};

EncodeResult encode(std::u16string_view text);
EncodeResult encode(std::u32string_view text);

// True when the code point decodes from a byte that is not valid text (shown as a
// replacement mark, kept unchanged in the document).
bool isInvalidByteMark(char32_t c);

}  // namespace verlo::text::codec

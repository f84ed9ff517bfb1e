// Finding a byte string in text held in pieces (two, or the document's blocks), matching
// only at character starts of the code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace verlo::text {

class BlockBytes;

// The text is front followed by back.
struct TextParts {
    const std::uint8_t* front;
    std::size_t frontSize;
    const std::uint8_t* back;
    std::size_t backSize;

    std::size_t size() const { return frontSize + backSize; }
    std::uint8_t at(std::size_t i) const { return i < frontSize ? front[i] : back[i - frontSize]; }
};

// True for the bytes that make up words for whole-word matching: ASCII letters, digits
// and the underscore (as one-byte characters).
constexpr bool isWordByte(std::uint8_t b) {
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_';
}

// First position p in [from, to - needle.size()] where needle matches: p is a character
// start, the match ends at a character boundary, Latin letters (one-byte A-Z, a-z) match
// either case unless flags has FindMatchCase, and with FindWholeWord the characters
// before and after the match are not word bytes. npos when there is none, and for an
// empty needle. Work is proportional to the bytes scanned: character starts are found by
// walking back from a candidate to the nearest byte that cannot begin a double-byte
// character, never from the start of the text.
std::size_t findInText(const TextParts& text, std::string_view needle, std::size_t from, std::size_t to,
                       unsigned flags);
// The same in the document's blocks; a match may span block joins.
std::size_t findInText(const BlockBytes& text, std::string_view needle, std::size_t from, std::size_t to,
                       unsigned flags);

}  // namespace verlo::text

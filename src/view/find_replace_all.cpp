#include "view/find_replace_all.h"

#include <cstdint>

#include "text/cp932.h"

namespace verlo::view {
namespace {

using text::cp932::isLeadByte;
using text::cp932::isTrailByte;

inline std::uint8_t byteAt(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

inline bool isLatinLetter(std::uint8_t b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }
inline std::uint8_t foldLatin(std::uint8_t b) { return (b >= 'A' && b <= 'Z') ? static_cast<std::uint8_t>(b + 32) : b; }

// Length of the character that starts at pos (pos < s.size()).
inline std::size_t charLengthAt(std::string_view s, std::size_t pos) {
    return (isLeadByte(byteAt(s, pos)) && pos + 1 < s.size() && isTrailByte(byteAt(s, pos + 1))) ? 2 : 1;
}

// Whether text ending in a lead byte that has not found its trail yet (`pending`) still
// ends that way after the bytes s are appended.
bool endsWithOpenLead(bool pending, std::string_view s) {
    for (char ch : s) {
        const auto b = static_cast<std::uint8_t>(ch);
        pending = (pending && isTrailByte(b)) ? false : isLeadByte(b);
    }
    return pending;
}

// The two bytes a match may start with (the same byte twice when case matters or the
// needle does not start with a letter).
struct FirstByte {
    std::uint8_t a;
    std::uint8_t b;
    FirstByte(std::string_view needle, bool matchCase)
        : a(byteAt(needle, 0)), b(!matchCase && isLatinLetter(a) ? static_cast<std::uint8_t>(a ^ 0x20) : a) {}
    bool operator()(std::uint8_t c) const { return c == a || c == b; }
};

}  // namespace

bool matchesAt(std::string_view text, std::size_t pos, std::string_view needle, bool matchCase) {
    const std::size_t n = needle.size();
    if (n == 0 || pos > text.size() || text.size() - pos < n) return false;
    const std::size_t end = pos + n;
    std::size_t q = pos;
    while (q < end) {
        if (charLengthAt(text, q) == 2) {
            // A double-byte character compares exactly, and must lie wholly inside the match.
            if (q + 2 > end || text[q] != needle[q - pos] || text[q + 1] != needle[q + 1 - pos]) return false;
            q += 2;
        } else {
            const std::uint8_t c = byteAt(text, q);
            const std::uint8_t d = byteAt(needle, q - pos);
            if (c != d && (matchCase || !isLatinLetter(c) || foldLatin(c) != foldLatin(d))) return false;
            q += 1;
        }
    }
    return true;
}

std::size_t findFrom(std::string_view text, std::size_t from, std::string_view needle, bool matchCase) {
    if (needle.empty()) return std::string_view::npos;
    const FirstByte first(needle, matchCase);
    for (std::size_t q = from; q < text.size(); q += charLengthAt(text, q)) {
        if (first(byteAt(text, q)) && matchesAt(text, q, needle, matchCase)) return q;
    }
    return std::string_view::npos;
}

ReplaceAllResult replaceAll(std::string_view text, std::string_view needle, std::string_view replacement) {
    ReplaceAllResult r;
    if (needle.empty()) return r;
    const FirstByte first(needle, false);
    const std::size_t len = text.size();
    // The walk visits the character starts the loop would see in the text as it stands
    // after the replacements so far: the old text's own character starts, except where a
    // lone lead byte now stands right before a trail byte and the two became one character
    // (a lead byte left by a removed match, or one a replacement ends with).
    bool openLead = false;  // the new text so far ends with a lead byte that has no trail yet
    std::size_t copyFrom = 0;
    std::size_t q = 0;
    while (q < len) {
        const std::uint8_t c = byteAt(text, q);
        if (first(c) && matchesAt(text, q, needle, false)) {
            if (r.count == 0) {
                r.begin = q;
                copyFrom = q;
                r.bytes.reserve(len - q);
            }
            r.bytes.append(text, copyFrom, q - copyFrom);
            r.bytes.append(replacement);
            openLead = endsWithOpenLead(openLead, replacement);
            ++r.count;
            q += needle.size();
            r.end = q;
            copyFrom = q;
            if (openLead && q < len && isTrailByte(byteAt(text, q))) {
                ++q;  // the next search starts inside that joined character: its first start is after it
                openLead = false;
            }
            continue;
        }
        const std::size_t l = charLengthAt(text, q);
        openLead = (l == 1 && isLeadByte(c));
        q += l;
    }
    return r;
}

}  // namespace verlo::view

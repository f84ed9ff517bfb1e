#include "commands/find_replace_all.h"

#include <cstdint>

#include "text/cp932.h"
#include "text/document.h"
#include "text/search.h"

namespace verlo::commands {
namespace {

using text::cp932::isLeadByte;
using text::cp932::isTrailByte;

inline std::uint8_t byteAt(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

// Whether s, read on its own, ends with a lead byte that has no trail byte after it.
bool endsWithLoneLead(std::string_view s) {
    bool open = false;
    for (char ch : s) {
        const auto b = static_cast<std::uint8_t>(ch);
        open = (open && isTrailByte(b)) ? false : isLeadByte(b);
    }
    return open;
}

// The first match at or after `start`, reading characters from `start` on (the text before
// it is not looked at); npos when there is none.
std::size_t findFrom(std::string_view s, std::size_t start, std::string_view needle) {
    const text::TextParts rest{reinterpret_cast<const std::uint8_t*>(s.data()) + start, s.size() - start, nullptr, 0};
    const std::size_t hit = text::findInText(rest, needle, 0, rest.size(), text::FindNone);
    return hit == text::npos ? text::npos : start + hit;
}

}  // namespace

ReplaceAllResult replaceAll(std::string_view text, std::string_view needle, std::string_view replacement) {
    ReplaceAllResult r;
    if (needle.empty()) return r;
    const std::size_t len = text.size();
    // The scan reads the characters the loop would see in the text as it stands after the
    // replacements so far, which are those of the old text but for one case: a replacement
    // that ends with a lead byte standing alone makes one character with a trail byte after
    // it, so the loop's next search starts inside that character and its first character
    // start comes one byte later. (A lead byte the text had before a match can only stand
    // alone there when the search string begins with a byte that is never a trail byte;
    // such bytes are character starts however the bytes before them pair up, so where
    // those pair up never changes which matches the loop finds.)
    const bool replacementEndsOpen = endsWithLoneLead(replacement);
    std::size_t start = 0;
    std::size_t copyFrom = 0;
    for (std::size_t p; start < len && (p = findFrom(text, start, needle)) != text::npos;) {
        if (r.count == 0) {
            r.begin = p;
            copyFrom = p;
            r.bytes.reserve(len - p + (replacement.size() > needle.size() ? (len - p) / 8 : 0));
        }
        r.bytes.append(text, copyFrom, p - copyFrom);
        r.bytes.append(replacement);
        ++r.count;
        start = p + needle.size();
        r.end = start;
        copyFrom = start;
        if (replacementEndsOpen && start < len && isTrailByte(byteAt(text, start))) ++start;
    }
    return r;
}

}  // namespace verlo::commands

#include "text/ruby_notation.h"

#include <algorithm>
#include <cstring>

#include "text/cp932.h"

namespace verlo::text::ruby {
namespace {

constexpr std::uint16_t kBar = 0x8162;    // ｜
constexpr std::uint16_t kOpen = 0x8173;   // 《
constexpr std::uint16_t kClose = 0x8174;  // 》
constexpr std::uint32_t kNone = UINT32_MAX;

enum class Script : std::uint8_t { None, Kanji, Hiragana, Katakana, Latin };

// The code of the character at pos (a one-byte character as its byte) and its length.
struct Char {
    std::uint16_t code = 0;
    std::uint32_t length = 0;
};

Char charAt(std::string_view s, std::size_t pos) {
    const auto b0 = static_cast<std::uint8_t>(s[pos]);
    if (!cp932::isLeadByte(b0) || pos + 1 >= s.size()) return {b0, 1};
    const auto b1 = static_cast<std::uint8_t>(s[pos + 1]);
    if (!cp932::isTrailByte(b1)) return {b0, 1};
    return {static_cast<std::uint16_t>(b0 << 8 | b1), 2};
}

bool isCode(std::string_view s, std::size_t pos, std::uint16_t code) {
    return pos + 1 < s.size() && static_cast<std::uint8_t>(s[pos]) == code >> 8 &&
           static_cast<std::uint8_t>(s[pos + 1]) == (code & 0xFF);
}

Script scriptOf(std::uint16_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return Script::Latin;
    if ((c >= 0x8260 && c <= 0x8279) || (c >= 0x8281 && c <= 0x829A)) return Script::Latin;  // Ａ-Ｚ ａ-ｚ
    if ((c >= 0x829F && c <= 0x82F1) || c == 0x8154 || c == 0x8155) return Script::Hiragana;  // ぁ-ん ゝゞ
    // 々〆〇 仝 ヶ, the two levels of kanji and the vendors' extra kanji.
    if ((c >= 0x8157 && c <= 0x815A) || c == 0x8396) return Script::Kanji;
    if ((c >= 0x889F && c <= 0x9872) || (c >= 0x989F && c <= 0xEAA4) || (c >= 0xED40 && c <= 0xEEEC) ||
        (c >= 0xFA5C && c <= 0xFC4B))
        return Script::Kanji;
    if ((c >= 0x8340 && c <= 0x8395) || c == 0x815B || c == 0x8152 || c == 0x8153) return Script::Katakana;
    return Script::None;
}

// The position of the 》 that closes ruby opened before `from`; kNone when a 《 comes first
// or the paragraph ends.
std::uint32_t rubyClose(std::string_view s, std::uint32_t from) {
    for (std::uint32_t i = from; i < s.size();) {
        const Char c = charAt(s, i);
        if (c.code == kClose) return i;
        if (c.code == kOpen) return kNone;
        i += c.length;
    }
    return kNone;
}

// The position of the 》》 that closes emphasis whose text starts at `from`; kNone when a
// bracket or a bar comes first, or the paragraph ends.
std::uint32_t emphasisClose(std::string_view s, std::uint32_t from) {
    for (std::uint32_t i = from; i < s.size();) {
        const Char c = charAt(s, i);
        if (c.code == kClose) return isCode(s, i + 2, kClose) ? i : kNone;
        if (c.code == kOpen || c.code == kBar) return kNone;
        i += c.length;
    }
    return kNone;
}

// The next bytes of a mark (｜《》, all 0x81 and a second byte) starting in [from, to),
// whether they start a character or not: found by the second byte, rare in Japanese text
// where 0x81 is common.
constexpr std::size_t kNoPos = std::string_view::npos;
std::size_t findMark(std::string_view s, std::size_t from, std::size_t to, std::uint16_t mark) {
    const std::size_t end = std::min(to + 1, s.size());
    for (std::size_t i = from + 1; i < end; ++i) {  // i: where the second byte may be
        const void* hit = std::memchr(s.data() + i, mark & 0xFF, end - i);
        if (!hit) break;
        i = static_cast<std::size_t>(static_cast<const char*>(hit) - s.data());
        if (static_cast<std::uint8_t>(s[i - 1]) == mark >> 8) return i - 1;
    }
    return kNoPos;
}

// The character start at or before pos, walking back no further than floor (a character
// start).
std::uint32_t snapBack(std::string_view s, std::uint32_t floor, std::uint32_t pos) {
    const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    return static_cast<std::uint32_t>(cp932::snapBackAt(at, s.size(), pos, floor));
}

// The start of the ｜ that gives the 《 at `open` its base: the last ｜ in [floor, open)
// with no 》 after it; kNone when there is none. Both marks begin with the byte 0x81.
std::uint32_t barBefore(std::string_view s, std::uint32_t floor, std::uint32_t open) {
    const auto starts = [&](std::size_t at) { return snapBack(s, floor, static_cast<std::uint32_t>(at)) == at; };
    std::size_t bar = kNoPos;
    for (std::size_t at = findMark(s, floor, open, kBar); at != kNoPos; at = findMark(s, at + 1, open, kBar))
        if (starts(at)) bar = at;
    if (bar == kNoPos) return kNone;
    for (std::size_t at = findMark(s, bar + 2, open, kClose); at != kNoPos; at = findMark(s, at + 1, open, kClose))
        if (starts(at)) return kNone;
    return static_cast<std::uint32_t>(bar);
}

// The start of the run of one script that ends at `open`, not before floor; kNone when the
// character before `open` belongs to no script.
std::uint32_t runBefore(std::string_view s, std::uint32_t floor, std::uint32_t open) {
    std::uint32_t start = open;
    Script run = Script::None;
    while (start > floor) {
        const std::uint32_t prev = snapBack(s, floor, start - 1);
        const Script script = scriptOf(charAt(s, prev).code);
        if (script == Script::None || (run != Script::None && script != run)) break;
        run = script;
        start = prev;
    }
    return run == Script::None ? kNone : start;
}

// Reads the 《 at `open` (a character start; floor is where the last 《 left off): appends
// the group it begins or ends, if any, and returns where it leaves off.
std::uint32_t takeOpen(std::string_view s, std::uint32_t floor, std::uint32_t open, std::vector<Group>& out) {
    if (isCode(s, open + 2, kOpen)) {
        const std::uint32_t close = emphasisClose(s, open + 4);
        if (close != kNone && close > open + 4) {
            out.push_back({Kind::Emphasis, open, open + 4, close, close, close, close + 4});
            return close + 4;
        }
    }
    const std::uint32_t close = rubyClose(s, open + 2);
    if (close == kNone || close == open + 2) return open + 2;  // shown as written
    std::uint32_t begin = barBefore(s, floor, open);
    std::uint32_t baseBegin = begin != kNone && begin + 2 < open ? begin + 2 : kNone;
    if (baseBegin == kNone) begin = baseBegin = runBefore(s, floor, open);
    if (baseBegin == kNone) return open + 2;
    out.push_back({Kind::Ruby, begin, baseBegin, open, open + 2, close, close + 2});
    return close + 2;
}

}  // namespace

bool isKana(std::string_view paragraph, std::size_t pos) {
    if (pos >= paragraph.size()) return false;
    const Script script = scriptOf(charAt(paragraph, pos).code);
    return script == Script::Hiragana || script == Script::Katakana;
}

bool mayHoldGroups(std::string_view paragraph) { return findMark(paragraph, 0, paragraph.size(), kOpen) != kNoPos; }

// Only the 《 matter: each one found is checked to start a character, and its base is
// looked for behind it, no further back than where the last 《 left off (a ｜ or a script
// run never reaches over a 《). So the text between groups costs a byte search.
void parse(std::string_view s, std::vector<Group>& out) {
    out.clear();
    std::uint32_t floor = 0;
    for (std::size_t found = findMark(s, 0, s.size(), kOpen); found != kNoPos;) {
        const auto open = static_cast<std::uint32_t>(found);
        if (snapBack(s, floor, open) != open) {  // the bytes of 《 across two characters
            found = findMark(s, found + 1, s.size(), kOpen);
            continue;
        }
        floor = takeOpen(s, floor, open, out);
        found = findMark(s, floor, s.size(), kOpen);
    }
}

}  // namespace verlo::text::ruby

#include "text/ruby_notation.h"

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
    const auto length = static_cast<std::uint32_t>(cp932::charLength(s, pos));
    const auto b0 = static_cast<std::uint8_t>(s[pos]);
    if (length == 1) return {b0, 1};
    return {static_cast<std::uint16_t>(b0 << 8 | static_cast<std::uint8_t>(s[pos + 1])), 2};
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

}  // namespace

bool mayHoldGroups(std::string_view paragraph) { return paragraph.find("\x81\x73") != std::string_view::npos; }

void parse(std::string_view s, std::vector<Group>& out) {
    out.clear();
    if (!mayHoldGroups(s)) return;
    std::uint32_t bar = kNone;  // a ｜ waiting for its 《
    std::uint32_t runStart = 0;  // the run of one script that ends at i
    Script run = Script::None;
    for (std::uint32_t i = 0; i < s.size();) {
        const Char c = charAt(s, i);
        if (c.code == kOpen) {
            if (isCode(s, i + 2, kOpen)) {
                const std::uint32_t close = emphasisClose(s, i + 4);
                if (close != kNone && close > i + 4) {
                    out.push_back({Kind::Emphasis, i, i + 4, close, close, close, close + 4});
                    i = close + 4;
                    bar = kNone;
                    run = Script::None;
                    continue;
                }
            }
            const std::uint32_t close = rubyClose(s, i + 2);
            std::uint32_t baseBegin = kNone;
            std::uint32_t begin = kNone;
            if (bar != kNone && bar + 2 < i) {
                begin = bar;
                baseBegin = bar + 2;
            } else if (run != Script::None) {
                begin = baseBegin = runStart;
            }
            if (close != kNone && close > i + 2 && baseBegin != kNone) {
                out.push_back({Kind::Ruby, begin, baseBegin, i, i + 2, close, close + 2});
                i = close + 2;
            } else {
                i += 2;  // shown as written
            }
            bar = kNone;
            run = Script::None;
            continue;
        }
        if (c.code == kBar || c.code == kClose) bar = c.code == kBar ? i : kNone;
        const Script script = scriptOf(c.code);
        if (script != run || script == Script::None) runStart = i;
        run = script;
        i += c.length;
    }
}

}  // namespace verlo::text::ruby

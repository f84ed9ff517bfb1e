#include "outline/headings.h"

#include <array>
#include <cstdint>
#include <vector>

#include "text/codec.h"
#include "text/cp932.h"
#include "text/ruby_notation.h"

namespace verlo::outline {

namespace {

std::string cp932(std::u16string_view text) { return text::codec::encode(text).bytes; }

// The marks the conventions are made of, in the code page.
struct Marks {
    std::string open = cp932(u"［＃");
    std::string close = cp932(u"］");
    std::string quoteOpen = cp932(u"［＃「");
    std::string first = cp932(u"第");
    std::array<std::string, kMaxHeadingLevel> levels = {cp932(u"大見出し"), cp932(u"中見出し"), cp932(u"小見出し")};
    std::string endWord = cp932(u"終わり");
    std::string quoteClose = cp932(u"」は");
    std::array<std::string, 6> named = {cp932(u"プロローグ"), cp932(u"エピローグ"), cp932(u"序章"),
                                        cp932(u"終章"),       cp932(u"幕間"),       cp932(u"間章")};
};

const Marks& marks() {
    static const Marks m;
    return m;
}

char32_t charAt(std::string_view p, std::size_t i, std::size_t* length) {
    return text::codec::decodeChar(p, i, length);
}

// The length of the space (half or full width, or a tab) at i, or 0.
std::size_t spaceAt(std::string_view p, std::size_t i) {
    if (i >= p.size()) return 0;
    if (p[i] == ' ' || p[i] == '\t') return 1;
    return p.substr(i, 2) == "\x81\x40" ? 2 : 0;
}

bool isPunctuation(char32_t c) {
    if (c < 0x80) return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
                         (c >= 0x7B && c <= 0x7E);
    if (c >= 0x3001 && c <= 0x303F) return c != 0x3005 && c != 0x3006 && c != 0x3007;  // not 々〆〇
    return (c >= 0x2010 && c <= 0x205E) || c == 0x30FB || (c >= 0xFF01 && c <= 0xFF0F) ||
           (c >= 0xFF1A && c <= 0xFF20) || (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF65);
}

bool isNumeral(char32_t c) {
    static constexpr std::u32string_view kanji = U"〇一二三四五六七八九十百千万零壱弐参拾";
    return (c >= U'0' && c <= U'9') || (c >= U'０' && c <= U'９') || kanji.find(c) != kanji.npos;
}

// The first place at or after from where needle starts at a character boundary, or npos.
std::size_t findAligned(std::string_view p, std::string_view needle, std::size_t from) {
    if (p.find(needle, from) == p.npos) return p.npos;  // the common case, quickly
    for (std::size_t i = from; i < p.size(); i += text::cp932::charLength(p, i))
        if (p.substr(i, needle.size()) == needle) return i;
    return p.npos;
}

std::string_view trimmed(std::string_view p) {
    std::size_t begin = 0;
    while (const std::size_t n = spaceAt(p, begin)) begin += n;
    std::size_t end = begin;
    for (std::size_t i = begin; i < p.size();) {
        const std::size_t space = spaceAt(p, i);
        i += space ? space : text::cp932::charLength(p, i);
        if (!space) end = i;
    }
    return p.substr(begin, end - begin);
}

Heading heading(int level, std::string_view text) {
    Heading h{level, plainHeadingText(text)};
    if (h.text.empty()) h.level = 0;
    return h;
}

// ［＃大見出し］X［＃大見出し終わり］, or X［＃「X」は大見出し］.
Heading annotated(std::string_view p) {
    const Marks& m = marks();
    if (p.find(m.open) == p.npos) return {};
    for (int level = 1; level <= kMaxHeadingLevel; ++level) {
        const std::string& word = m.levels[static_cast<std::size_t>(level - 1)];
        const std::string begin = m.open + word + m.close;
        const std::size_t at = findAligned(p, begin, 0);
        if (at == p.npos) continue;
        const std::size_t from = at + begin.size();
        const std::size_t to = findAligned(p, m.open + word + m.endWord + m.close, from);
        if (to != p.npos) return heading(level, p.substr(from, to - from));
    }
    for (std::size_t at = findAligned(p, m.quoteOpen, 0); at != p.npos; at = findAligned(p, m.quoteOpen, at + 1)) {
        const std::size_t from = at + m.quoteOpen.size();
        const std::size_t to = findAligned(p, m.quoteClose, from);
        if (to == p.npos) break;
        const std::string_view rest = p.substr(to + m.quoteClose.size());
        for (int level = 1; level <= kMaxHeadingLevel; ++level) {
            const std::string tail = m.levels[static_cast<std::size_t>(level - 1)] + m.close;
            if (rest.substr(0, tail.size()) != tail) continue;
            // The quoted text is the one just before the annotation, as it shows.
            const std::string quoted = plainHeadingText(p.substr(from, to - from));
            const std::string before = plainHeadingText(p.substr(0, at));
            if (quoted.empty() || !std::string_view(before).ends_with(quoted)) break;
            return {level, quoted};
        }
    }
    return {};
}

// 第一章　雨の夜, 第12話, 第３部.
Heading numbered(std::string_view p) {
    std::size_t i = 0;
    while (const std::size_t n = spaceAt(p, i)) i += n;
    if (!p.substr(i).starts_with(marks().first)) return {};
    i += marks().first.size();
    const std::size_t digits = i;
    std::size_t length = 0;
    while (i < p.size() && isNumeral(charAt(p, i, &length))) i += length;
    if (i == digits || i >= p.size()) return {};
    int level = 0;
    switch (charAt(p, i, &length)) {
        case U'部': level = 1; break;
        case U'章':
        case U'話': level = 2; break;
        case U'節': level = 3; break;
        default: return {};
    }
    i += length;
    if (i < p.size() && !spaceAt(p, i) && !isPunctuation(charAt(p, i, &length))) return {};
    return heading(level, p);
}

Heading named(std::string_view p) {
    std::size_t i = 0;
    while (const std::size_t n = spaceAt(p, i)) i += n;
    for (const std::string& name : marks().named) {
        if (!p.substr(i).starts_with(name)) continue;
        std::size_t end = i + name.size();
        while (const std::size_t n = spaceAt(p, end)) end += n;
        if (end == p.size()) return {2, name};
    }
    return {};
}

// # 第一章, ## 雨の夜, ### 一.
Heading hashed(std::string_view p) {
    std::size_t n = 0;
    while (n < p.size() && p[n] == '#') ++n;
    if (n < 1 || n > kMaxHeadingLevel || !spaceAt(p, n)) return {};
    return heading(static_cast<int>(n), p.substr(n));
}

}  // namespace

Heading readHeading(std::string_view p, const HeadingRules& rules) {
    if (p.empty()) return {};
    Heading h;
    if (rules.annotations && (h = annotated(p)).level) return h;
    if (rules.hashes && p.front() == '#') return hashed(p);
    if (rules.numbered && (h = numbered(p)).level) return h;
    if (rules.named) return named(p);
    return {};
}

std::string plainHeadingText(std::string_view p) {
    const Marks& m = marks();
    std::vector<text::ruby::Group> groups;
    if (text::ruby::mayHoldGroups(p)) text::ruby::parse(p, groups);
    std::string out;
    out.reserve(p.size());
    auto group = groups.begin();
    for (std::size_t i = 0; i < p.size();) {
        if (group != groups.end() && group->begin == i) {
            out.append(p.substr(group->baseBegin, group->baseEnd - group->baseBegin));
            i = group->end;
            ++group;
            continue;
        }
        if (p.substr(i, m.open.size()) == m.open) {
            const std::size_t close = findAligned(p, m.close, i + m.open.size());
            if (close != p.npos && (group == groups.end() || close < group->begin)) {
                i = close + m.close.size();
                continue;
            }
        }
        const std::size_t length = text::cp932::charLength(p, i);
        out.append(p.substr(i, length));
        i += length;
    }
    return std::string(trimmed(out));
}

namespace {

constexpr std::array<std::pair<std::string_view, bool HeadingRules::*>, 4> kRuleNames = {{
    {"annotations", &HeadingRules::annotations},
    {"numbered", &HeadingRules::numbered},
    {"named", &HeadingRules::named},
    {"hashes", &HeadingRules::hashes},
}};

}  // namespace

std::string rulesToText(const HeadingRules& rules) {
    std::string text;
    for (const auto& [name, on] : kRuleNames) {
        if (!(rules.*on)) continue;
        if (!text.empty()) text += ',';
        text += name;
    }
    return text;
}

HeadingRules rulesFromText(std::string_view text) {
    HeadingRules rules{false, false, false, false};
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view name = trimmed(text.substr(0, comma));
        for (const auto& [known, on] : kRuleNames)
            if (name == known) rules.*on = true;
        text = comma == text.npos ? std::string_view() : text.substr(comma + 1);
    }
    return rules;
}

}  // namespace verlo::outline

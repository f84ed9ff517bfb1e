#include "text/stand_ins.h"

#include <unicode/uchar.h>

#include <array>
#include <bitset>
#include <charconv>
#include <unordered_set>

#include "text/codec.h"
#include "text/cp932.h"

namespace verlo::text {
namespace {

constexpr char32_t kUserAreaFirst = 0xE000;  // what F040 decodes to; the area runs on for 1,880
constexpr char32_t kZeroWidthJoiner = 0x200D;
constexpr char32_t kReplacement = 0xFFFD;
constexpr unsigned kGetaMarkCode = 0x81AC;  // 〓

bool isRegionalIndicator(char32_t c) { return c >= 0x1F1E6 && c <= 0x1F1FF; }

bool extendsUnicode(char32_t c) {
    const auto gcb = u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_GRAPHEME_CLUSTER_BREAK);
    return gcb == U_GCB_EXTEND || gcb == U_GCB_ZWJ || gcb == U_GCB_SPACING_MARK;
}

// The characters of the Basic Multilingual Plane that stay with the one before them.
struct ExtenderTable {
    std::bitset<0x10000> bits;
    ExtenderTable() {
        for (char32_t c = 0x300; c < 0x10000; ++c) bits[c] = extendsUnicode(c);
    }
};

bool isExtender(char32_t c) {
    if (c < 0x300) return false;
    if (c < 0x10000) {
        static const ExtenderTable table;
        return table.bits[c];
    }
    return extendsUnicode(c);
}

// cleanCode for the whole Basic Multilingual Plane.
struct CleanTable {
    std::array<std::uint16_t, 0x10000> code;
    CleanTable() {
        for (char32_t c = 0; c < 0x10000; ++c) {
            const unsigned k = codec::codeOf(c);
            bool clean = k != codec::kNoCode && !(c >= 0xE000 && c <= 0xF8FF);
            if (clean) {
                const char bytes[2] = {static_cast<char>(k > 0xFF ? k >> 8 : k), static_cast<char>(k & 0xFF)};
                std::size_t n = 0;
                clean = codec::decodeChar(std::string_view(bytes, k > 0xFF ? 2 : 1), 0, &n) == c;
            }
            code[c] = static_cast<std::uint16_t>(clean ? k : codec::kNoCode);
        }
    }
};

void appendCode(std::string& out, unsigned code) {
    if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
}

template <class Visit>
void forEachChar(std::string_view bytes, Visit&& visit) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = cp932::charLength(bytes, i);
        visit(i, n);
        i += n;
    }
}

}  // namespace

int userAreaIndex(unsigned code) {
    const unsigned lead = code >> 8;
    const auto trail = static_cast<std::uint8_t>(code & 0xFF);
    if (!isUserAreaLead(static_cast<std::uint8_t>(lead)) || !cp932::isTrailByte(trail)) return -1;
    return static_cast<int>((lead - 0xF0) * 188 + (trail < 0x80 ? trail - 0x40 : trail - 0x41));
}

unsigned userAreaCode(std::size_t index) {
    const auto lead = static_cast<unsigned>(0xF0 + index / 188);
    const auto t = static_cast<unsigned>(index % 188);
    return lead << 8 | (t < 0x3F ? t + 0x40 : t + 0x41);
}

unsigned cleanCode(char32_t c) {
    static const CleanTable table;
    return c < 0x10000 ? table.code[c] : codec::kNoCode;
}

bool staysWithPrevious(char32_t c) { return isExtender(c) || isRegionalIndicator(c); }

std::size_t clusterEnd(std::u32string_view text, std::size_t i) {
    std::size_t j = i + 1;
    if (isRegionalIndicator(text[i]) && j < text.size() && isRegionalIndicator(text[j])) return j + 1;
    while (j < text.size() && isExtender(text[j])) {
        if (text[j++] == kZeroWidthJoiner && j < text.size()) ++j;
    }
    return j;
}

// ---------------------------------------------------------------- the table

const StandIns::Entry* StandIns::find(unsigned code) const {
    const int index = userAreaIndex(code);
    if (index < 0 || !taken_[static_cast<std::size_t>(index)]) return nullptr;
    return &entries_[static_cast<std::size_t>(index)];
}

unsigned StandIns::existingCode(std::u32string_view chars) const {
    const auto it = byChars_.find(std::u32string(chars));
    return it == byChars_.end() ? 0 : it->second;
}

unsigned StandIns::assign(Entry entry, unsigned preferred) {
    int index = preferred ? userAreaIndex(preferred) : -1;
    if (index < 0 || taken_[static_cast<std::size_t>(index)]) {
        if (full()) return 0;
        while (taken_[next_]) ++next_;
        index = static_cast<int>(next_);
    }
    const auto at = static_cast<std::size_t>(index);
    taken_[at] = true;
    const unsigned code = userAreaCode(at);
    if (entry.chars.empty())
        byRaw_.emplace(entry.raw, code);
    else
        byChars_.emplace(entry.chars, code);
    entries_[at] = std::move(entry);
    ++used_;
    return code;
}

unsigned StandIns::codeFor(std::u32string_view chars) {
    if (const unsigned code = existingCode(chars)) return code;
    unsigned preferred = 0;
    if (chars.size() == 1 && chars[0] >= kUserAreaFirst && chars[0] < kUserAreaFirst + kUserAreaCodes)
        preferred = userAreaCode(chars[0] - kUserAreaFirst);
    return assign(Entry{std::u32string(chars), {}}, preferred);
}

unsigned StandIns::codeForRaw(std::string_view raw) {
    const auto it = byRaw_.find(std::string(raw));
    if (it != byRaw_.end()) return it->second;
    return assign(Entry{{}, std::string(raw)}, 0);
}

void StandIns::adopt(unsigned code) {
    const int index = userAreaIndex(code);
    if (index < 0 || taken_[static_cast<std::size_t>(index)]) return;
    assign(Entry{std::u32string(1, kUserAreaFirst + static_cast<char32_t>(index)), {}}, code);
}

// ---------------------------------------------------------------- encoding

StandIns::Encoded StandIns::encode(std::u32string_view text, bool markWhenFull) {
    Encoded out;
    const auto putCode = [&out](std::string& bytes, unsigned code) {
        ++out.codes;
        appendCode(bytes, code);
    };
    out.bytes.reserve(text.size() * 2);
    std::unordered_set<char32_t> reported;
    auto refuse = [&](char32_t c) {
        if (reported.insert(c).second) out.refused.push_back(c);
    };
    if (holds_) {
        for (char32_t c : text)
            if (!holds_(c)) refuse(c);
        if (!out.ok()) return out;
    }
    auto standIn = [&](std::u32string_view chars) {
        const unsigned code = codeFor(chars);
        if (code) {
            putCode(out.bytes, code);
        } else if (markWhenFull) {
            out.full = true;
            putCode(out.bytes, kGetaMarkCode);
        } else {
            out.full = true;
            for (char32_t c : chars) refuse(c);
        }
    };
    // A character on its own: its code when the code page holds it (exactly, while
    // accepting, so that it is saved back as itself), else a stand-in or a refusal.
    auto single = [&](char32_t c) {
        if (c >= kUserAreaFirst && c < kUserAreaFirst + kUserAreaCodes) return standIn({&c, 1});
        unsigned code = cleanCode(c);
        if (code == codec::kNoCode && !accepting_) code = codec::codeOf(c);
        if (code != codec::kNoCode) return putCode(out.bytes, code);
        if (accepting_) return standIn({&c, 1});
        refuse(c);
    };
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = text[i];
        if ((i + 1 == text.size() || !isExtender(text[i + 1])) && !isRegionalIndicator(c)) {
            single(c);
            ++i;
            continue;
        }
        const std::size_t end = clusterEnd(text, i);
        bool plain = true;
        for (std::size_t k = i; k < end && plain; ++k)
            plain = accepting_ ? cleanCode(text[k]) != codec::kNoCode : codec::codeOf(text[k]) != codec::kNoCode;
        if (plain || end == i + 1) {
            for (std::size_t k = i; k < end; ++k) single(text[k]);
        } else if (accepting_) {
            standIn(text.substr(i, end - i));
        } else {
            for (std::size_t k = i; k < end; ++k)
                if (!codec::canEncode(text[k])) refuse(text[k]);
        }
        i = end;
    }
    return out;
}

StandIns::Encoded StandIns::encode(std::u16string_view text) {
    std::u32string chars;
    chars.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        chars.push_back(c);
    }
    return encode(chars);
}

// ---------------------------------------------------------------- decoding

std::u32string StandIns::decode(std::string_view bytes) const {
    std::u32string out;
    out.reserve(bytes.size());
    std::size_t run = 0;  // start of the bytes not yet decoded
    auto flush = [&](std::size_t to) {
        if (to > run) out += codec::decodeUtf32(bytes.substr(run, to - run));
    };
    if (used_ > 0) {
        forEachChar(bytes, [&](std::size_t i, std::size_t n) {
            if (n != 2 || !isUserAreaLead(static_cast<std::uint8_t>(bytes[i]))) return;
            const Entry* e = find(static_cast<std::uint8_t>(bytes[i]), static_cast<std::uint8_t>(bytes[i + 1]));
            if (!e) return;
            flush(i);
            if (e->chars.empty())
                out.push_back(kReplacement);
            else
                out += e->chars;
            run = i + 2;
        });
    }
    flush(bytes.size());
    return out;
}

std::u16string StandIns::decodeUtf16(std::string_view bytes) const {
    if (used_ == 0) return codec::decodeUtf16(bytes);
    const std::u32string chars = decode(bytes);
    std::u16string out;
    out.reserve(chars.size());
    for (char32_t c : chars) {
        if (c < 0x10000) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return out;
}

StandIns::Encoded StandIns::toCodePage(std::string_view bytes) const {
    Encoded out;
    if (used_ == 0) {
        out.bytes = bytes;
        return out;
    }
    out.bytes.reserve(bytes.size());
    std::unordered_set<char32_t> reported;
    forEachChar(bytes, [&](std::size_t i, std::size_t n) {
        const Entry* e = n == 2 && isUserAreaLead(static_cast<std::uint8_t>(bytes[i]))
                             ? find(static_cast<std::uint8_t>(bytes[i]), static_cast<std::uint8_t>(bytes[i + 1]))
                             : nullptr;
        if (!e) {
            out.bytes.append(bytes.substr(i, n));
            return;
        }
        codec::EncodeResult r = codec::encode(std::u32string_view(e->chars));
        if (e->chars.empty()) r.unencodable.push_back(kReplacement);
        if (r.ok()) {
            out.bytes += r.bytes;
            return;
        }
        // The whole cluster, so that the message shows what the writer sees.
        for (char32_t c : e->chars.empty() ? r.unencodable : e->chars)
            if (reported.insert(c).second) out.refused.push_back(c);
    });
    return out;
}

StandIns::Encoded StandIns::fromCodePage(std::string_view bytes) {
    Encoded out;
    out.bytes.reserve(bytes.size());
    forEachChar(bytes, [&](std::size_t i, std::size_t n) {
        const std::string_view ch = bytes.substr(i, n);
        const int index = n == 2 ? userAreaIndex(static_cast<std::uint8_t>(ch[0]) << 8 | static_cast<std::uint8_t>(ch[1])) : -1;
        if (index < 0) {
            out.bytes += ch;
            return;
        }
        const char32_t own = kUserAreaFirst + static_cast<char32_t>(index);
        const unsigned code = codeFor(std::u32string_view(&own, 1));
        if (code) {
            appendCode(out.bytes, code);
        } else {
            out.full = true;
            out.refused.push_back(own);
        }
    });
    return out;
}

}  // namespace verlo::text

namespace verlo::text {

// ---------------------------------------------------------------- as text

std::string StandIns::toText() const {
    std::string out;
    char buffer[16];
    auto hex = [&](unsigned value, int width) {
        const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
        for (int k = static_cast<int>(end - buffer); k < width; ++k) out += '0';
        for (char* p = buffer; p < end; ++p) out += static_cast<char>(*p >= 'a' ? *p - 'a' + 'A' : *p);
    };
    for (std::size_t i = 0; i < kUserAreaCodes; ++i) {
        if (!taken_[i]) continue;
        if (!out.empty()) out += ' ';
        hex(userAreaCode(i), 4);
        out += '=';
        const Entry& e = entries_[i];
        if (e.chars.empty()) {
            out += '~';
            for (char b : e.raw) hex(static_cast<std::uint8_t>(b), 2);
        }
        for (std::size_t k = 0; k < e.chars.size(); ++k) {
            if (k) out += '.';
            hex(e.chars[k], 4);
        }
    }
    return out;
}

std::optional<StandIns> StandIns::fromText(std::string_view text) {
    StandIns table;
    auto number = [](std::string_view s, unsigned& value) {
        const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, 16);
        return ec == std::errc() && end == s.data() + s.size() && !s.empty();
    };
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view item = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        const std::size_t eq = item.find('=');
        unsigned code = 0;
        if (eq == std::string_view::npos || !number(item.substr(0, eq), code)) return std::nullopt;
        const int index = userAreaIndex(code);
        if (index < 0 || table.taken_[static_cast<std::size_t>(index)]) return std::nullopt;
        std::string_view value = item.substr(eq + 1);
        Entry entry;
        if (!value.empty() && value[0] == '~') {
            value.remove_prefix(1);
            if (value.empty() || value.size() % 2) return std::nullopt;
            for (std::size_t k = 0; k < value.size(); k += 2) {
                unsigned byte = 0;
                if (!number(value.substr(k, 2), byte)) return std::nullopt;
                entry.raw.push_back(static_cast<char>(byte));
            }
        } else {
            while (true) {
                const std::size_t dot = value.find('.');
                unsigned c = 0;
                if (!number(value.substr(0, dot), c) || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
                entry.chars.push_back(static_cast<char32_t>(c));
                if (dot == std::string_view::npos) break;
                value.remove_prefix(dot + 1);
            }
        }
        if (entry.chars.empty() ? table.byRaw_.count(entry.raw) : table.byChars_.count(entry.chars)) return std::nullopt;
        table.assign(std::move(entry), code);
    }
    return table;
}

}  // namespace verlo::text

#include "files/jis_encodings.h"

#include <iconv.h>
#include <unicode/ucnv.h>

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "text/codec.h"
#include "text/stand_ins.h"

namespace verlo::files::jis {
namespace {

// ---------------------------------------------------------------- the common forms

// What glibc's iconv and ICU read a code as: the characters, or nothing when refused.
class Decoders {
public:
    Decoders(const char* glibcName, const char* icuName) : glibc_(iconv_open("WCHAR_T", glibcName)) {
        UErrorCode err = U_ZERO_ERROR;
        icu_ = ucnv_open(icuName, &err);
        if (U_FAILURE(err)) icu_ = nullptr;
        if (icu_) ucnv_setToUCallBack(icu_, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    }
    ~Decoders() {
        if (glibc_ != reinterpret_cast<iconv_t>(-1)) iconv_close(glibc_);
        if (icu_) ucnv_close(icu_);
    }
    Decoders(const Decoders&) = delete;
    Decoders& operator=(const Decoders&) = delete;

    std::u32string glibc(std::string_view bytes) {
        if (glibc_ == reinterpret_cast<iconv_t>(-1)) return {};
        iconv(glibc_, nullptr, nullptr, nullptr, nullptr);
        std::array<wchar_t, 8> out{};
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char* o = reinterpret_cast<char*>(out.data());
        std::size_t outLeft = sizeof out;
        if (iconv(glibc_, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1) || inLeft) return {};
        if (iconv(glibc_, nullptr, nullptr, &o, &outLeft) == static_cast<std::size_t>(-1)) return {};
        return std::u32string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>((sizeof out - outLeft) / sizeof(wchar_t)));
    }
    std::u32string icu(std::string_view bytes) {
        if (!icu_) return {};
        std::array<UChar, 8> units{};
        UErrorCode err = U_ZERO_ERROR;
        const int32_t n = ucnv_toUChars(icu_, units.data(), static_cast<int32_t>(units.size()), bytes.data(), static_cast<int32_t>(bytes.size()), &err);
        if (U_FAILURE(err)) return {};
        std::u32string out;
        for (int32_t k = 0; k < n; ++k) {
            char32_t u = units[static_cast<std::size_t>(k)];
            if (u >= 0xD800 && u <= 0xDBFF && k + 1 < n) u = 0x10000 + ((u - 0xD800) << 10) + (units[static_cast<std::size_t>(++k)] - 0xDC00);
            out.push_back(u);
        }
        return out;
    }

private:
    iconv_t glibc_;
    UConverter* icu_ = nullptr;
};

// The same character: equal, or merged by the code page (U+301C and U+FF5E are both 81 60).
bool sameCharacter(char32_t a, char32_t b) {
    if (a == b) return true;
    const unsigned code = text::codec::codeOf(a);
    return code != text::codec::kNoCode && code == text::codec::codeOf(b);
}

// Codes (their bytes as one number, the first byte highest) and the characters they are.
inline constexpr char32_t kNotText = 0xFFFFFFFF;
inline constexpr std::uint32_t kNoCode = 0xFFFFFFFF;
class Table {
public:
    // The character a code is read as, or kNotText.
    char32_t read(std::uint32_t code) const {
        const auto it = reads_.find(code);
        return it == reads_.end() ? kNotText : it->second;
    }
    // The code a character is written as, or kNoCode.
    std::uint32_t code(char32_t c) const {
        const auto it = codes_.find(c);
        return it == codes_.end() ? kNoCode : it->second;
    }
    // Tries a code: text when both decoders read one and the same character, and the code is
    // the first tried for that character (the one it is written as).
    void tryCode(std::uint32_t k, std::string_view bytes, Decoders& d) {
        const std::u32string g = d.glibc(bytes);
        const std::u32string i = d.icu(bytes);
        if (g.size() != 1 || i.size() != 1 || !sameCharacter(g[0], i[0])) return;
        // Read as the form the code page holds exactly, when one of them is.
        const char32_t c = text::cleanCode(g[0]) == text::codec::kNoCode ? i[0] : g[0];
        codes_.emplace(g[0], k);
        codes_.emplace(i[0], k);
        if (code(c) == k) reads_.emplace(k, c);
    }

private:
    std::unordered_map<std::uint32_t, char32_t> reads_;
    std::unordered_map<char32_t, std::uint32_t> codes_;
};

std::string bytesOf(std::uint32_t code) {
    std::string s;
    for (int shift = 16; shift >= 0; shift -= 8)
        if (code >> shift || shift == 0) s.push_back(static_cast<char>(code >> shift & 0xFF));
    return s;
}

constexpr bool isEucByte(std::uint8_t b) { return b >= 0xA1 && b <= 0xFE; }
constexpr bool isJisByte(std::uint8_t b) { return b >= 0x21 && b <= 0x7E; }

// One byte, then JIS X 0208 (two bytes A1-FE), half-width katakana (8E and one), JIS X 0212
// (8F and two): the order in which a character finds the code it is written as.
const Table& eucTable() {
    static const Table table = [] {
        Table t;
        Decoders d("EUC-JP", "EUC-JP");
        for (unsigned b = 0; b < 0x100; ++b) t.tryCode(b, bytesOf(b), d);
        for (unsigned hi = 0xA1; hi <= 0xFE; ++hi)
            for (unsigned lo = 0xA1; lo <= 0xFE; ++lo) t.tryCode(hi << 8 | lo, bytesOf(hi << 8 | lo), d);
        for (unsigned lo = 0xA1; lo <= 0xFE; ++lo) t.tryCode(0x8E00 | lo, bytesOf(0x8E00 | lo), d);
        for (unsigned hi = 0xA1; hi <= 0xFE; ++hi)
            for (unsigned lo = 0xA1; lo <= 0xFE; ++lo) {
                const std::uint32_t code = 0x8F0000 | hi << 8 | lo;
                t.tryCode(code, bytesOf(code), d);
            }
        return t;
    }();
    return table;
}

// JIS X 0208 as ISO-2022-JP holds it (the codes' bytes 21-7E).
const Table& kanjiTable() {
    static const Table table = [] {
        Table t;
        Decoders d("ISO-2022-JP", "ISO-2022-JP");
        for (unsigned hi = 0x21; hi <= 0x7E; ++hi)
            for (unsigned lo = 0x21; lo <= 0x7E; ++lo) {
                std::string bytes = "\x1B$B";
                bytes += {static_cast<char>(hi), static_cast<char>(lo)};
                bytes += "\x1B(B";
                t.tryCode(hi << 8 | lo, bytes, d);
            }
        return t;
    }();
    return table;
}

// ---------------------------------------------------------------- ISO-2022-JP

enum Set : std::uint8_t { Ascii, Roman, Kanji83, Kanji78 };
constexpr std::array<std::string_view, 4> kEscapes = {"\x1B(B", "\x1B(J", "\x1B$B", "\x1B$@"};
constexpr char32_t kYen = 0xA5;
constexpr char32_t kOverline = 0x203E;
constexpr char32_t kEscape = 0x1B;

constexpr bool isKanji(Set s) { return s == Kanji83 || s == Kanji78; }
Set oneByteSet(const Iso2022Style& style) { return style.roman ? Roman : Ascii; }
Set kanjiSet(const Iso2022Style& style) { return style.jis1978 ? Kanji78 : Kanji83; }

bool holds(Set s, char32_t c, const Iso2022Style& style) {
    switch (s) {
    case Ascii: return c < 0x80 && c != kEscape;
    case Roman: return (c < 0x80 && c != 0x5C && c != 0x7E && c != kEscape) || c == kYen || c == kOverline;
    case Kanji83:
    case Kanji78: return (style.controlsInKanji && c < 0x21 && c != kEscape) || kanjiTable().code(c) != kNoCode;
    }
    return false;
}

// The set the writer turns to for a character that the set in use does not hold.
bool target(char32_t c, const Iso2022Style& style, Set* to) {
    const Set one = oneByteSet(style);
    const Set other = one == Ascii ? Roman : Ascii;
    for (Set s : {one, other, kanjiSet(style)})
        if (holds(s, c, style)) {
            *to = s;
            return true;
        }
    return false;
}

// A piece of an ISO-2022-JP file as read: a character, bytes that are not text, or an escape.
struct Token {
    enum Kind : std::uint8_t { Char, Raw, Escape } kind;
    Set set;  // the set in use (for an escape: the one it turns to)
    char32_t c = 0;
    std::string_view bytes;
};

std::vector<Token> tokenize(std::string_view file) {
    std::vector<Token> tokens;
    tokens.reserve(file.size());
    const auto* s = reinterpret_cast<const unsigned char*>(file.data());
    Set set = Ascii;
    for (std::size_t i = 0; i < file.size();) {
        const unsigned char b = s[i];
        auto add = [&](Token::Kind kind, char32_t c, std::size_t n) {
            tokens.push_back({kind, set, c, file.substr(i, n)});
            i += n;
        };
        if (b == kEscape) {
            std::size_t k = 0;
            while (k < kEscapes.size() && file.substr(i, 3) != kEscapes[k]) ++k;
            if (k < kEscapes.size()) {
                set = static_cast<Set>(k);
                add(Token::Escape, 0, 3);
            } else {
                add(Token::Raw, 0, 1);
            }
        } else if (!isKanji(set)) {
            if (b >= 0x80) add(Token::Raw, 0, 1);
            else add(Token::Char, set == Roman && b == 0x5C ? kYen : set == Roman && b == 0x7E ? kOverline : b, 1);
        } else if (b < 0x21) {
            add(Token::Char, b, 1);
        } else if (isJisByte(b) && i + 1 < file.size() && isJisByte(s[i + 1])) {
            const char32_t c = kanjiTable().read(static_cast<std::uint32_t>(b << 8 | s[i + 1]));
            add(c == kNotText ? Token::Raw : Token::Char, c, 2);
        } else {
            add(Token::Raw, 0, 1);
        }
    }
    return tokens;
}

Iso2022Style styleOf(const std::vector<Token>& tokens) {
    Iso2022Style style;
    bool oneByteSeen = false;
    bool kanjiSeen = false;
    Set last = Ascii;
    for (const Token& t : tokens) {
        if (t.kind == Token::Escape && !isKanji(t.set) && !oneByteSeen) {
            oneByteSeen = true;
            style.roman = t.set == Roman;
        } else if (t.kind == Token::Escape && isKanji(t.set) && !kanjiSeen) {
            kanjiSeen = true;
            style.jis1978 = t.set == Kanji78;
        } else if (t.kind == Token::Char && isKanji(t.set) && t.c < 0x21) {
            style.controlsInKanji = true;
        }
        last = t.set;
    }
    style.returnAtEnd = !isKanji(last);
    return style;
}

}  // namespace

// ---------------------------------------------------------------- reading

void readEucJp(std::string_view file, Sink& sink) {
    const Table& table = eucTable();
    const auto* s = reinterpret_cast<const unsigned char*>(file.data());
    for (std::size_t i = 0; i < file.size();) {
        const unsigned char b = s[i];
        std::size_t n = 1;
        if ((isEucByte(b) || b == 0x8E) && i + 1 < file.size() && isEucByte(s[i + 1])) n = 2;
        else if (b == 0x8F && i + 2 < file.size() && isEucByte(s[i + 1]) && isEucByte(s[i + 2])) n = 3;
        std::uint32_t code = 0;
        for (std::size_t k = 0; k < n; ++k) code = code << 8 | s[i + k];
        const char32_t c = table.read(code);
        if (c != kNotText) sink.put(c);
        else sink.raw(file.substr(i, n));
        i += n;
    }
}

Iso2022Style readIso2022Jp(std::string_view file, Sink& sink) {
    const std::vector<Token> tokens = tokenize(file);
    const Iso2022Style style = styleOf(tokens);
    // An escape is left out where the writer, in the set it would be in, puts the same one.
    Set set = Ascii;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        if (t.kind == Token::Char) {
            sink.put(t.c);
            continue;
        }
        if (t.kind == Token::Raw) {
            sink.raw(t.bytes);
            continue;
        }
        bool made = false;
        if (k + 1 < tokens.size() && tokens[k + 1].kind == Token::Char) {
            Set to = Ascii;
            made = !holds(set, tokens[k + 1].c, style) && target(tokens[k + 1].c, style, &to) && to == t.set;
        } else if (k + 1 == tokens.size()) {
            made = isKanji(set) && style.returnAtEnd && t.set == oneByteSet(style);
        }
        if (!made) sink.raw(t.bytes);
        set = t.set;
    }
    return style;
}

bool eucJpHolds(char32_t c) { return eucTable().code(c) != kNoCode; }

bool iso2022JpHolds(char32_t c) { return c < 0x80 || c == kYen || c == kOverline || kanjiTable().code(c) != kNoCode; }

// ---------------------------------------------------------------- writing

Writer::Writer(Encoding encoding, const Iso2022Style& style, std::string& out)
    : euc_(encoding == Encoding::EucJp), style_(style), out_(out) {}

void Writer::put(char32_t c) {
    if (!euc_) return putIso2022(c);
    const std::uint32_t code = eucTable().code(c);
    if (code != kNoCode) out_ += bytesOf(code);
    else if (refused_.find(c) == std::u32string::npos) refused_.push_back(c);
}

void Writer::putIso2022(char32_t c) {
    Set set = static_cast<Set>(set_);
    if (c == kEscape) {  // written as it is, whatever the set
        out_.push_back('\x1B');
        return;
    }
    if (!holds(set, c, style_)) {
        if (!target(c, style_, &set)) {
            if (refused_.find(c) == std::u32string::npos) refused_.push_back(c);
            return;
        }
        out_ += kEscapes[set];
        set_ = set;
    }
    if (!isKanji(set)) out_.push_back(static_cast<char>(c == kYen ? 0x5C : c == kOverline ? 0x7E : c));
    else if (c < 0x21) out_.push_back(static_cast<char>(c));
    else out_ += bytesOf(kanjiTable().code(c));
}

void Writer::raw(std::string_view bytes) {
    out_ += bytes;
    if (euc_) return;
    for (std::size_t k = 0; k < kEscapes.size(); ++k)
        if (bytes == kEscapes[k]) set_ = static_cast<int>(k);
}

void Writer::finish() {
    if (!euc_ && isKanji(static_cast<Set>(set_)) && style_.returnAtEnd) {
        out_ += kEscapes[oneByteSet(style_)];
        set_ = oneByteSet(style_);
    }
}

}  // namespace verlo::files::jis

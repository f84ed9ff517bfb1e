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
        if (code < kFlat) return reads_[code];
        const auto it = longReads_.find(code);
        return it == longReads_.end() ? kNotText : it->second;
    }
    // The code a character is written as, or kNoCode.
    std::uint32_t code(char32_t c) const {
        if (c < kFlat) return codes_[c];
        const auto it = longCodes_.find(c);
        return it == longCodes_.end() ? kNoCode : it->second;
    }
    // Tries a code: text when both decoders read one and the same character, and the code is
    // the first tried for that character (the one it is written as).
    void tryCode(std::uint32_t k, std::string_view bytes, Decoders& d) {
        const std::u32string g = d.glibc(bytes);
        const std::u32string i = d.icu(bytes);
        if (g.size() != 1 || i.size() != 1 || !sameCharacter(g[0], i[0])) return;
        // Read as the form the code page holds exactly, when one of them is.
        const char32_t c = text::cleanCode(g[0]) == text::codec::kNoCode ? i[0] : g[0];
        setCode(g[0], k);
        setCode(i[0], k);
        if (code(c) != k) return;
        if (k < kFlat) reads_[k] = c;
        else longReads_.emplace(k, c);
    }

private:
    // Codes of one and two bytes, and characters of the Basic Multilingual Plane, in plain
    // arrays: a file is read and written a lookup per character.
    static constexpr std::size_t kFlat = 0x10000;
    void setCode(char32_t c, std::uint32_t k) {
        if (c >= kFlat) longCodes_.emplace(c, k);
        else if (codes_[c] == kNoCode) codes_[c] = k;
    }
    std::vector<char32_t> reads_ = std::vector<char32_t>(kFlat, kNotText);
    std::vector<std::uint32_t> codes_ = std::vector<std::uint32_t>(kFlat, kNoCode);
    std::unordered_map<std::uint32_t, char32_t> longReads_;
    std::unordered_map<char32_t, std::uint32_t> longCodes_;
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

// Reads an ISO-2022-JP file a token at a time.
class Tokens {
public:
    explicit Tokens(std::string_view file) : file_(file) {}
    bool next(Token& t) {
        if (i_ >= file_.size()) return false;
        const auto* s = reinterpret_cast<const unsigned char*>(file_.data());
        const unsigned char b = s[i_];
        auto take = [&](Token::Kind kind, char32_t c, std::size_t n) {
            t = {kind, set_, c, file_.substr(i_, n)};
            i_ += n;
        };
        if (b == kEscape) {
            std::size_t k = 0;
            while (k < kEscapes.size() && file_.substr(i_, 3) != kEscapes[k]) ++k;
            if (k == kEscapes.size()) {
                take(Token::Raw, 0, 1);
            } else {
                set_ = static_cast<Set>(k);
                take(Token::Escape, 0, 3);
            }
        } else if (!isKanji(set_)) {
            if (b >= 0x80) take(Token::Raw, 0, 1);
            else take(Token::Char, set_ == Roman && b == 0x5C ? kYen : set_ == Roman && b == 0x7E ? kOverline : b, 1);
        } else if (b < 0x21) {
            take(Token::Char, b, 1);
        } else if (isJisByte(b) && i_ + 1 < file_.size() && isJisByte(s[i_ + 1])) {
            const char32_t c = kanjiTable().read(static_cast<std::uint32_t>(b << 8 | s[i_ + 1]));
            take(c == kNotText ? Token::Raw : Token::Char, c, 2);
        } else {
            take(Token::Raw, 0, 1);
        }
        return true;
    }

private:
    std::string_view file_;
    std::size_t i_ = 0;
    Set set_ = Ascii;
};

Iso2022Style styleOf(std::string_view file) {
    Iso2022Style style;
    bool oneByteSeen = false;
    bool kanjiSeen = false;
    Set last = Ascii;
    Tokens tokens(file);
    for (Token t{}; tokens.next(t);) {
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
    const Iso2022Style style = styleOf(file);
    // An escape is left out where the writer, in the set it would be in, puts the same one.
    Set set = Ascii;
    Tokens tokens(file);
    Token t{};
    for (bool more = tokens.next(t); more;) {
        Token after{};
        const bool last = !tokens.next(after);
        if (t.kind == Token::Char) {
            sink.put(t.c);
        } else if (t.kind == Token::Raw) {
            sink.raw(t.bytes);
        } else {
            Set to = Ascii;
            const bool made = last ? isKanji(set) && style.returnAtEnd && t.set == oneByteSet(style)
                                   : after.kind == Token::Char && !holds(set, after.c, style) &&
                                         target(after.c, style, &to) && to == t.set;
            if (!made) sink.raw(t.bytes);
            set = t.set;
        }
        more = !last;
        t = after;
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

#include "files/text_file.h"

#include <unicode/ucsdet.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#include "files/jis_encodings.h"
#include "files/utf8_convert.h"
#include "text/codec.h"
#include "text/cp932.h"
#include "text/document.h"

namespace verlo::files {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr char32_t kZeroWidthJoiner = 0x200D;
constexpr unsigned kGetaMarkCode = 0x81AC;  // 〓: a character beyond the full table
// The detector's confidence (0-100) from which its choice is taken.
constexpr int kConfident = 50;

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The length of the UTF-8 sequence starting at s[i] when it is valid, else 0.
std::size_t utf8Length(const unsigned char* s, std::size_t i, std::size_t n) {
    const unsigned char b = s[i];
    if (b < 0x80) return 1;
    std::size_t len = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (i + len > n || s[i + 1] < lo || s[i + 1] > hi) return 0;
    for (std::size_t k = 2; k < len; ++k)
        if ((s[i + k] & 0xC0) != 0x80) return 0;
    return len;
}

char32_t utf8Value(const unsigned char* p, std::size_t len) {
    switch (len) {
    case 1: return p[0];
    case 2: return (p[0] & 0x1Fu) << 6 | (p[1] & 0x3Fu);
    case 3: return (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
    default: return (p[0] & 0x07u) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
    }
}

// Eight bytes as a number, the first in the lowest bits (one load where the machine is little-endian).
inline std::uint64_t loadLittle64(const unsigned char* p) {
    std::uint64_t w = 0;
    std::memcpy(&w, p, 8);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
    return w;
}

// The character at s[i] and its length; 0 when the bytes there are not valid UTF-8. The common
// forms (ASCII, and the three bytes most of Japanese takes) without the full checks.
inline std::size_t decodeUtf8(const unsigned char* s, std::size_t i, std::size_t n, char32_t& c) {
    const unsigned char b = s[i];
    if (b < 0x80) {
        c = b;
        return 1;
    }
    if (b >= 0xE1 && b != 0xED && b <= 0xEF && i + 2 < n && (s[i + 1] & 0xC0) == 0x80 && (s[i + 2] & 0xC0) == 0x80) {
        c = (b & 0x0Fu) << 12 | (s[i + 1] & 0x3Fu) << 6 | (s[i + 2] & 0x3Fu);
        return 3;
    }
    const std::size_t len = utf8Length(s, i, n);
    if (len) c = utf8Value(s + i, len);
    return len;
}

void appendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
}

// Collects the characters of a file and turns them into the document's bytes, a stretch at
// a time (never cutting a cluster), with the bytes that are not text as stand-ins of their own.
class Builder final : public jis::Sink {
public:
    // The document's bytes are written into room made as it is needed, within sizeHint
    // reserved ahead, and cut to their length by finish().
    Builder(std::string& bytes, text::StandIns& standIns, bool& tooMany, std::size_t sizeHint)
        : bytes_(bytes), standIns_(standIns), tooMany_(tooMany) {
        bytes_.reserve(sizeHint + 16);
        utf8::preferLargePages(bytes_);
        pending_.reserve(std::min(sizeHint, kStretch) + 64);
    }
    explicit Builder(ReadText& out, std::size_t sizeHint) : Builder(out.bytes, out.standIns, out.tooManyCharacters, sizeHint) {}
    // A character's clean code, when the next character does not stay with it: straight in,
    // unless something waiting may hold it (after a zero-width joiner). False when not taken.
    bool putCode(unsigned code) {
        if (!pending_.empty()) {
            if (pending_.back() == kZeroWidthJoiner) return false;
            flush();
        }
        writeCode(code);
        return true;
    }
    void put(char32_t c) override {
        if (pending_.size() >= kStretch && !text::staysWithPrevious(c) && pending_.back() != kZeroWidthJoiner) flush();
        pending_.push_back(c);
    }
    void raw(std::string_view bytes) override {
        flush();
        unsigned code = standIns_.codeForRaw(bytes);
        if (!code) {
            tooMany_ = true;
            code = kGetaMarkCode;
        }
        writeCode(code);
    }
    // UTF-8 from file[in] converted straight in while nothing waits (utf8::readPlain);
    // where it stopped.
    std::size_t plain(std::string_view file, std::size_t in) {
        if (!pending_.empty()) return in;
        room(file.size() - in + 16);
        const utf8::Stop stop = utf8::readPlain(file, in, bytes_.data(), used_);
        used_ = stop.out;
        return stop.in;
    }
    // Document bytes made elsewhere, after what is here.
    void append(std::string_view bytes) {
        flush();
        room(bytes.size());
        std::memcpy(bytes_.data() + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
    }
    void finish() { bytes_.resize(end()); }
    // finish() without cutting the room made: where the bytes end.
    std::size_t end() {
        flush();
        return used_;
    }
    // What waits made into codes (taking the table's next ones).
    void flush() {
        if (pending_.empty()) return;
        text::StandIns::Encoded e = standIns_.encode(pending_, /*markWhenFull=*/true);
        room(e.bytes.size());
        std::memcpy(bytes_.data() + used_, e.bytes.data(), e.bytes.size());
        used_ += e.bytes.size();
        if (e.full) tooMany_ = true;
        pending_.clear();
    }

private:
    static constexpr std::size_t kStretch = 1 << 16;
    // Growing only, and within what was reserved while it holds, so that each byte is zeroed once.
    void room(std::size_t k) {
        std::string& b = bytes_;
        if (used_ + k > b.size()) b.resize(std::max(used_ + k, std::min(b.capacity(), b.size() * 2)));
    }
    void writeCode(unsigned code) {
        room(2);
        char* dst = bytes_.data() + used_;
        if (code > 0xFF) *dst++ = static_cast<char>(code >> 8);
        *dst++ = static_cast<char>(code & 0xFF);
        used_ = static_cast<std::size_t>(dst - bytes_.data());
    }
    std::string& bytes_;
    text::StandIns& standIns_;
    bool& tooMany_;
    std::size_t used_ = 0;
    std::u32string pending_;
};

// Each character is decoded once, as the next of the one before it. The stretches of valid
// plain characters go straight in (utf8::readPlain), and the rest this way.
void readUtf8(std::string_view file, Builder& b) {
    const utf8::ReadTable& table = utf8::readTable();
    const auto* s = reinterpret_cast<const unsigned char*>(file.data());
    const std::size_t n = file.size();
    std::size_t i = b.plain(file, 0);
    char32_t c = 0;
    std::size_t len = i < n ? decodeUtf8(s, i, n, c) : 0;
    while (i < n) {
        if (len == 0) {
            b.raw(file.substr(i, 1));
            if (++i < n) len = decodeUtf8(s, i, n, c);
            continue;
        }
        i += len;
        char32_t next = 0;
        std::size_t nextLen = i < n ? decodeUtf8(s, i, n, next) : 0;
        const unsigned code = c < 0x10000 ? table.aloneCode[c] : text::codec::kNoCode;
        const bool nextStays = nextLen && (next < 0x10000 ? table.stays[next] : text::staysWithPrevious(next));
        if (code == text::codec::kNoCode || nextStays || !b.putCode(code)) {
            b.put(c);
        } else if (i < n) {
            // Written with nothing waiting: the plain way on from here.
            if (const std::size_t stop = b.plain(file, i); stop != i) {
                i = stop;
                nextLen = i < n ? decodeUtf8(s, i, n, next) : 0;
            }
        }
        c = next;
        len = nextLen;
    }
}

// Every user-defined-area code in CP932 bytes, by where it starts. Only a byte F0-F9 may
// begin one; whether it does (or ends a pair) the run of bytes before it that may begin a
// pair tells: a byte that cannot ends a character, and from there they go in pairs.
template <class Visit>
void forEachUserAreaCode(std::string_view bytes, Visit&& visit) {
    const auto* s = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t known = 0;  // a character starts here
    for (std::size_t base = 0; base < n; base += 8) {
        // Bit 7 of each byte whose top four bits are set (F0-FF), eight bytes at a time.
        std::uint64_t mask = 0;
        if (base + 8 <= n) {
            mask = loadLittle64(s + base);
        } else {
            for (std::size_t k = 0; base + k < n; ++k) mask |= std::uint64_t{s[base + k]} << (8 * k);
        }
        mask &= mask << 1 & mask << 2 & mask << 3 & 0x8080808080808080ull;
        for (; mask; mask &= mask - 1) {
            const std::size_t q = base + static_cast<std::size_t>(std::countr_zero(mask)) / 8;
            if (q < known || !text::isUserAreaLead(s[q])) continue;
            std::size_t from = q;
            while (from > known && text::cp932::isLeadByte(s[from - 1])) --from;
            known = q + 1;
            if ((q - from) % 2 || q + 1 == n || !text::cp932::isTrailByte(s[q + 1])) continue;
            visit(q);
            known = q + 2;
        }
    }
}

}  // namespace

bool moveStandIns(char* doc, std::size_t size, const text::StandIns& from, text::StandIns& to) {
    bool room = true;
    forEachUserAreaCode(std::string_view(doc, size), [&](std::size_t q) {
        const text::StandIns::Entry* e = from.find(static_cast<std::uint8_t>(doc[q]), static_cast<std::uint8_t>(doc[q + 1]));
        unsigned code = e->chars.empty() ? to.codeForRaw(e->raw) : to.codeFor(e->chars);
        if (!code) {
            room = false;
            code = kGetaMarkCode;
        }
        doc[q] = static_cast<char>(code >> 8);
        doc[q + 1] = static_cast<char>(code & 0xFF);
    });
    return room;
}

namespace {

// A valid UTF-8 file read on two threads, the second half into a table of its own whose codes
// are then given their places in the document's table in the order they first appear, as if
// read in one go. When the second half alone fills its table, it is read again after the first.
void readUtf8Halves(std::string_view file, std::size_t split, Builder& b, ReadText& r) {
    ReadText second;
    second.standIns.setAccepting(true);
    utf8::alongside(
        [&] {
            Builder half(second, file.size() - split);
            readUtf8(file.substr(split), half);
            half.finish();
        },
        [&] { readUtf8(file.substr(0, split), b); });
    if (second.tooManyCharacters) {
        readUtf8(file.substr(split), b);
        return;
    }
    b.flush();  // the first half's codes come first
    if (!second.standIns.empty() && !moveStandIns(second.bytes.data(), second.bytes.size(), second.standIns, r.standIns))
        r.tooManyCharacters = true;
    b.append(second.bytes);
}

void readUtf16(std::string_view file, bool bigEndian, Builder& b) {
    const auto* s = reinterpret_cast<const unsigned char*>(file.data());
    const std::size_t units = file.size() / 2;
    auto unit = [&](std::size_t k) -> char32_t {
        const unsigned char hi = s[2 * k + (bigEndian ? 0 : 1)];
        const unsigned char lo = s[2 * k + (bigEndian ? 1 : 0)];
        return static_cast<char32_t>(hi << 8 | lo);
    };
    for (std::size_t k = 0; k < units; ++k) {
        const char32_t u = unit(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 && unit(k + 1) <= 0xDFFF) {
            b.put(0x10000 + ((u - 0xD800) << 10) + (unit(k + 1) - 0xDC00));
            ++k;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            b.raw(file.substr(2 * k, 2));  // a lone surrogate
        } else {
            b.put(u);
        }
    }
    if (file.size() % 2) b.raw(file.substr(file.size() - 1));
}

}  // namespace

// Every user-defined-area code of a Shift-JIS file stands for its own character.
void adoptUserAreaCodes(std::string_view bytes, text::StandIns& table) {
    forEachUserAreaCode(bytes, [&](std::size_t q) {
        table.adopt(static_cast<std::uint8_t>(bytes[q]) << 8 | static_cast<std::uint8_t>(bytes[q + 1]));
    });
}

std::size_t readUtf8Piece(std::string_view piece, text::StandIns& table, std::string& doc, bool* tooMany) {
    Builder b(doc, table, *tooMany, piece.size());
    readUtf8(piece, b);
    return b.end();
}

namespace {

// The document as Unicode for writing: each character, and the bytes that are not text as they are.
template <class OnChar, class OnRaw>
void forEachCharacter(std::string_view doc, const text::StandIns& standIns, OnChar&& onChar, OnRaw&& onRaw) {
    for (std::size_t i = 0; i < doc.size();) {
        const auto b = static_cast<std::uint8_t>(doc[i]);
        if (b < 0x80) {
            onChar(static_cast<char32_t>(b));
            ++i;
            continue;
        }
        std::size_t n = 0;
        const char32_t c = text::codec::decodeChar(doc, i, &n);
        const text::StandIns::Entry* e =
            n == 2 && text::isUserAreaLead(b) ? standIns.find(b, static_cast<std::uint8_t>(doc[i + 1])) : nullptr;
        if (e && e->chars.empty()) {
            onRaw(std::string_view(e->raw));
        } else if (e) {
            for (char32_t x : e->chars) onChar(x);
        } else if (text::codec::isInvalidByteMark(c)) {
            onRaw(doc.substr(i, n));
        } else {
            onChar(text::codec::standsFor(c));
        }
        i += n;
    }
}

WrittenText writeJis(std::string_view doc, const text::StandIns& standIns, const TextFormat& format) {
    WrittenText out;
    jis::Writer writer(format.encoding, format.iso2022, out.bytes);
    forEachCharacter(doc, standIns, [&](char32_t c) { writer.put(c); }, [&](std::string_view raw) { writer.raw(raw); });
    writer.finish();
    out.refused = writer.refused();
    return out;
}

}  // namespace

bool isStrictUtf8(std::string_view bytes, bool* multiByte, std::size_t twoThreadsFrom) {
    return utf8::isStrict(bytes, multiByte, twoThreadsFrom);
}

Encoding detectEncoding(std::string_view bytes, Encoding plainDefault) {
    if (startsWith(bytes, kUtf8Bom)) return Encoding::Utf8Bom;
    if (startsWith(bytes, kUtf16LeBom)) return Encoding::Utf16Le;
    if (startsWith(bytes, kUtf16BeBom)) return Encoding::Utf16Be;
    bool multiByte = false;
    if (isStrictUtf8(bytes, &multiByte)) {
        if (multiByte) return Encoding::Utf8;
        // Plain ASCII, unless it holds the escapes of ISO-2022-JP.
        if (bytes.find("\x1B$") == std::string_view::npos) return plainDefault;
    }
    return detectorChoice(bytes);
}

Encoding detectorChoice(std::string_view bytes) {
    UErrorCode err = U_ZERO_ERROR;
    UCharsetDetector* detector = ucsdet_open(&err);
    Encoding found = Encoding::ShiftJis;
    if (U_SUCCESS(err)) {
        const std::string_view sample = bytes.substr(0, kDetectorSample);
        ucsdet_setText(detector, sample.data(), static_cast<int32_t>(sample.size()), &err);
        int32_t count = 0;
        const UCharsetMatch** matches = ucsdet_detectAll(detector, &count, &err);
        for (int32_t k = 0; U_SUCCESS(err) && k < count; ++k) {
            const std::string_view name = ucsdet_getName(matches[k], &err);
            const int confidence = ucsdet_getConfidence(matches[k], &err);
            if (confidence < kConfident) break;
            if (name == "Shift_JIS") break;
            if (name == "EUC-JP" || name == "ISO-2022-JP") {
                found = name == "EUC-JP" ? Encoding::EucJp : Encoding::Iso2022Jp;
                break;
            }
        }
        ucsdet_close(detector);
    }
    return found;
}

namespace {

// validUtf8: the file is known to be valid UTF-8 (detection checked it).
ReadText read(std::string_view file, Encoding encoding, LineBreak noBreaks, std::size_t twoThreadsFrom, bool validUtf8) {
    ReadText r;
    r.format.encoding = encoding;
    if (encoding == Encoding::ShiftJis) {
        r.bytes = file;
        adoptUserAreaCodes(r.bytes, r.standIns);
    } else {
        r.standIns.setAccepting(true);
        Builder b(r, file.size());
        switch (encoding) {
        case Encoding::Utf8:
        case Encoding::Utf8Bom: {
            if (startsWith(file, kUtf8Bom)) {
                r.format.encoding = Encoding::Utf8Bom;
                file.remove_prefix(kUtf8Bom.size());
                validUtf8 = false;
            } else {
                r.format.encoding = Encoding::Utf8;
            }
            validUtf8 = validUtf8 || utf8::isStrict(file, nullptr, twoThreadsFrom);
            const std::size_t split = validUtf8 && file.size() >= twoThreadsFrom ? utf8::splitPoint(file) : file.size();
            if (split < file.size()) readUtf8Halves(file, split, b, r);
            else readUtf8(file, b);
            break;
        }
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            const std::string_view bom = encoding == Encoding::Utf16Le ? kUtf16LeBom : kUtf16BeBom;
            r.format.utf16Bom = startsWith(file, bom);
            if (r.format.utf16Bom) file.remove_prefix(bom.size());
            readUtf16(file, encoding == Encoding::Utf16Be, b);
            break;
        }
        case Encoding::EucJp: jis::readEucJp(file, b); break;
        case Encoding::Iso2022Jp: r.format.iso2022 = jis::readIso2022Jp(file, b); break;
        case Encoding::ShiftJis: break;
        }
        b.finish();
        r.standIns.setAccepting(holdsAnyCharacter(encoding));
    }
    const text::LineBreakCounts counts = text::countLineBreaks(r.bytes);
    r.format.lineBreak =
        counts.crLf + counts.lf + counts.cr == 0 ? noBreaks : lineBreakOf(counts.mostUsed());
    return r;
}

}  // namespace

ReadText readText(std::string_view file, Encoding encoding, LineBreak noBreaks, std::size_t twoThreadsFrom) {
    return read(file, encoding, noBreaks, twoThreadsFrom, false);
}

ReadText openText(std::string_view file, const TextFormat& defaults) {
    const Encoding encoding = detectEncoding(file, defaults.encoding);
    return read(file, encoding, defaults.lineBreak, kTwoThreadsFrom, encoding == Encoding::Utf8);
}

WrittenText writeText(std::string_view doc, const text::StandIns& standIns, const TextFormat& format,
                      std::size_t twoThreadsFrom) {
    WrittenText out;
    switch (format.encoding) {
    case Encoding::ShiftJis: {
        text::StandIns::Encoded e = standIns.toCodePage(doc);
        out.bytes = std::move(e.bytes);
        out.refused = std::move(e.refused);
        return out;
    }
    case Encoding::Utf8:
    case Encoding::Utf8Bom:
        out.bytes.reserve(doc.size() * 3 / 2 + 3);
        utf8::preferLargePages(out.bytes);
        if (format.encoding == Encoding::Utf8Bom) out.bytes += kUtf8Bom;
        utf8::write(doc, standIns, out.bytes, twoThreadsFrom);
        return out;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        const bool big = format.encoding == Encoding::Utf16Be;
        out.bytes.reserve(doc.size() * 2 + 2);
        if (format.utf16Bom) out.bytes += big ? kUtf16BeBom : kUtf16LeBom;
        std::u16string units;
        forEachCharacter(doc, standIns,
                         [&](char32_t c) {
                             units.clear();
                             appendUtf16(units, c);
                             for (char16_t u : units) {
                                 out.bytes.push_back(static_cast<char>(big ? u >> 8 : u & 0xFF));
                                 out.bytes.push_back(static_cast<char>(big ? u & 0xFF : u >> 8));
                             }
                         },
                         [&](std::string_view raw) { out.bytes += raw; });
        return out;
    }
    case Encoding::EucJp:
    case Encoding::Iso2022Jp: return writeJis(doc, standIns, format);
    }
    return out;
}

TextPieces writeTextInPieces(const DocumentBytes& doc, const text::StandIns& standIns, const TextFormat& format,
                             std::size_t pieceSize, std::size_t twoThreadsFrom) {
    TextPieces out;
    if (format.encoding == Encoding::Utf8 || format.encoding == Encoding::Utf8Bom) {
        const bool bom = format.encoding == Encoding::Utf8Bom;
        out.pieces = [doc, &standIns, bom, pieceSize, twoThreadsFrom](const auto& put) {
            return (!bom || put(kUtf8Bom)) && utf8::writePieces(doc, standIns, put, pieceSize, twoThreadsFrom);
        };
        return out;
    }
    if (format.encoding == Encoding::ShiftJis && standIns.empty()) {  // the bytes as they are
        out.pieces = [doc](const auto& put) {
            constexpr std::size_t kStretch = std::size_t{1} << 20;
            std::string buffer;
            for (std::size_t at = 0; at < doc.size(); at += kStretch)
                if (!put(doc.read(at, kStretch, buffer))) return false;
            return true;
        };
        return out;
    }
    std::string whole;
    auto written = std::make_shared<WrittenText>(writeText(doc.read(0, doc.size(), whole), standIns, format, twoThreadsFrom));
    if (!written->ok()) {
        out.refused = std::move(written->refused);
        return out;
    }
    out.pieces = [written](const auto& put) { return put(written->bytes); };
    return out;
}

}  // namespace verlo::files

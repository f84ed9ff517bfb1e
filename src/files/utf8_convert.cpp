#include "files/utf8_convert.h"

#include <algorithm>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "files/document_bytes.h"
#include "files/utf8_check.h"
#include "files/utf8_vector.h"
#include "text/codec.h"
#include "text/cp932.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace verlo::files::utf8 {
namespace {

#if defined(__SSE2__)
Classes classify(const std::uint8_t* p) {
    // Bytes taken as signed: 80-BF, C0-DF, E0-EF and F0-FF are the ranges from -128, -64,
    // -32 and -16 up (ASCII above them all), so that comparisons sort them.
    Bounds b;
    for (unsigned k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const auto bits = [&](__m128i x) {
            return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(x))) << (16 * k);
        };
        const auto from = [&](int lowest) { return bits(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(lowest - 1)))); };
        b.high |= bits(v);
        b.fromC0 |= from(0xC0);
        b.fromC2 |= from(0xC2);
        b.fromE0 |= from(0xE0);
        b.fromF0 |= from(0xF0);
        b.narrow |= bits(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xE0))),
                                      _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xED)))));
    }
    return classesFrom(b);
}
#else
Classes classify(const std::uint8_t* p) {
    Classes m;
    for (unsigned k = 0; k < 64; ++k) {
        const std::uint8_t b = p[k];
        const std::uint64_t bit = std::uint64_t{1} << k;
        if (b & 0x80) m.high |= bit;
        if ((b & 0xC0) == 0x80) m.cont |= bit;
        if ((b & 0xE0) == 0xC0) m.lead2 |= bit;
        if ((b & 0xF0) == 0xE0) m.lead3 |= bit;
        if ((b & 0xF8) == 0xF0) m.lead4 |= bit;
        if ((b & 0xFE) == 0xC0 || b == 0xE0 || b == 0xED || b >= 0xF0) m.rare |= bit;
    }
    return m;
}
#endif

// Checks 64 bytes (p[64] readable unless atEnd), as checkClasses.
bool check64(const std::uint8_t* p, bool atEnd, std::uint64_t& carry, bool& multi) {
    return checkClasses(classify(p), p, atEnd, carry, multi);
}

// The UTF-8 form of every character of the code page, by its code (for a pair, its two bytes
// as a little-endian number: trail << 8 | lead; the byte for one byte): its bytes in the order written, and their number in the
// entry's last byte; 0 when the code is not text. Pairs of the user-defined area are left
// out (they may be stand-ins), as are single bytes (read by their own table).
struct WriteTable {
    std::array<std::uint32_t, 0x10000> pair{};
    std::array<std::uint32_t, 0x100> single{};
    static std::uint32_t entry(std::string_view code) {
        std::size_t n = 0;
        const char32_t c = text::codec::decodeChar(code, 0, &n);
        if (n != code.size() || text::codec::isInvalidByteMark(c)) return 0;
        std::string u;
        append(u, text::codec::standsFor(c));
        std::array<unsigned char, 4> bytes{};
        std::memcpy(bytes.data(), u.data(), u.size());
        bytes[3] = static_cast<unsigned char>(u.size());
        return std::bit_cast<std::uint32_t>(bytes);
    }
    WriteTable() {
        for (unsigned lead = 0x80; lead < 0x100; ++lead) {
            const char one = static_cast<char>(lead);
            single[lead] = entry(std::string_view(&one, 1));
            if (!text::cp932::isLeadByte(static_cast<std::uint8_t>(lead)) || text::isUserAreaLead(static_cast<std::uint8_t>(lead)))
                continue;
            for (unsigned trail = 0x40; trail < 0x100; ++trail) {
                if (!text::cp932::isTrailByte(static_cast<std::uint8_t>(trail))) continue;
                const char two[2] = {one, static_cast<char>(trail)};
                pair[trail << 8 | lead] = entry(std::string_view(two, 2));
            }
        }
    }
    static unsigned length(std::uint32_t e) { return std::bit_cast<std::array<unsigned char, 4>>(e)[3]; }
};

const WriteTable& writeTable() {
    static const WriteTable table;
    return table;
}

// How many bytes from p (16 readable) are ASCII, up to 16, and those copied to dst (16 writable).
inline unsigned copyAscii(const std::uint8_t* p, char* dst) {
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), v);
    const auto high = static_cast<unsigned>(_mm_movemask_epi8(v));
    return high ? static_cast<unsigned>(std::countr_zero(high)) : 16;
#else
    std::memcpy(dst, p, 16);
    unsigned k = 0;
    while (k < 16 && p[k] < 0x80) ++k;
    return k;
#endif
}

// The UTF-8 of the character at doc[i] that the table of pairs does not give: a stand-in's
// text, the form of a one-byte character or of a user-defined-area character, or bytes that
// are not text as they are. Its length in the document. Rare: kept out of the loops that call it.
[[gnu::noinline]] std::size_t otherCharacter(std::string_view doc, std::size_t i, const text::StandIns& standIns, std::string& utf8) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(doc.data());
    const std::uint8_t b = p[i];
    const bool pair = text::cp932::isLeadByte(b) && i + 1 < doc.size() && text::cp932::isTrailByte(p[i + 1]);
    const std::size_t len = pair ? 2 : 1;
    utf8.clear();
    if (const text::StandIns::Entry* e = pair && text::isUserAreaLead(b) ? standIns.find(b, p[i + 1]) : nullptr) {
        if (e->chars.empty()) utf8 = e->raw;
        for (char32_t c : e->chars) append(utf8, c);
    } else if (const std::uint32_t one = pair ? WriteTable::entry(doc.substr(i, 2)) : writeTable().single[b]) {
        const auto bytes = std::bit_cast<std::array<char, 4>>(one);
        utf8.append(bytes.data(), WriteTable::length(one));
    } else {
        utf8.append(doc.data() + i, len);
    }
    return len;
}

// The entry's length byte, and a length of three there (the same place on any machine).
constexpr std::uint32_t kLengthMask = std::bit_cast<std::uint32_t>(std::array<unsigned char, 4>{0, 0, 0, 0xFF});
constexpr std::uint32_t kLengthThree = std::bit_cast<std::uint32_t>(std::array<unsigned char, 4>{0, 0, 0, 3});

// The two bytes at p as WriteTable::pair's index (one load where the machine is little-endian).
inline unsigned pairAt(const std::uint8_t* p) {
    std::uint16_t v = 0;
    std::memcpy(&v, p, 2);
    if constexpr (std::endian::native == std::endian::big) v = static_cast<std::uint16_t>(v << 8 | v >> 8);
    return v;
}

// Converts doc from i (a character start) into dst while its characters are ASCII or pairs of the
// table, until i reaches stop (it may pass it by less than 16 bytes) or a character that needs more
// (otherCharacter). dst needs room for three bytes for each byte of doc to stop, and 16 more.
inline std::size_t writeTableRun(const std::uint8_t* p, std::size_t i, std::size_t stop, std::size_t n, char*& out) {
    const WriteTable& table = writeTable();
    char* dst = out;
    while (i < stop) {
        const std::uint8_t b = p[i];
        if (b < 0x80) {
            if (i + 16 > n) {
                *dst++ = static_cast<char>(b);
                ++i;
                continue;
            }
            const unsigned k = copyAscii(p + i, dst);
            i += k;
            dst += k;
            continue;
        }
        if (i + 8 <= n) {
            // Four kana or kanji in a row, as most of a Japanese text is: each takes three bytes,
            // so the four table entries are looked up together and where each goes is known.
            // (Taking only as many as are such characters, without a branch, is slower: where
            // the next four start would then wait for the table.)
            const std::uint32_t e0 = table.pair[pairAt(p + i)];
            const std::uint32_t e1 = table.pair[pairAt(p + i + 2)];
            const std::uint32_t e2 = table.pair[pairAt(p + i + 4)];
            const std::uint32_t e3 = table.pair[pairAt(p + i + 6)];
            std::memcpy(dst, &e0, 4);
            std::memcpy(dst + 3, &e1, 4);
            std::memcpy(dst + 6, &e2, 4);
            std::memcpy(dst + 9, &e3, 4);
            if (((e0 & e1 & e2 & e3) & kLengthMask) == kLengthThree && ((e0 | e1 | e2 | e3) & kLengthMask) == kLengthThree) {
                dst += 12;
                i += 8;
                continue;
            }
            // Those of the four before the first that is not such a character are written.
            const auto three = [](std::uint32_t e) { return static_cast<unsigned>((e & kLengthMask) == kLengthThree); };
            const auto kept = static_cast<unsigned>(std::countr_one(three(e0) | three(e1) << 1 | three(e2) << 2));
            dst += 3 * kept;
            i += 2 * kept;
            if (kept) continue;
        }
        if (i + 1 >= n) break;
        const std::uint32_t e = table.pair[pairAt(p + i)];
        if (!e) break;
        std::memcpy(dst, &e, 4);
        dst += WriteTable::length(e);
        i += 2;
    }
    out = dst;
    return i;
}

// Writes doc (from a character start) into out from at on and answers where its UTF-8 ends.
// out's size is the room made so far: it grows only as needed, so that no more is zeroed than
// is written, and what lies past the end answered is not part of the text.
std::size_t writeRange(std::string_view doc, const text::StandIns& standIns, std::string& out, std::size_t at) {
    constexpr std::size_t kStretch = 1 << 16;
    const auto* p = reinterpret_cast<const std::uint8_t*>(doc.data());
    const std::size_t n = doc.size();
    // Room for the most a stretch can take: three bytes for each byte of the code page, and
    // the slack of the wide stores.
    const auto room = [&](std::size_t k) {
        if (at + k > out.size()) out.resize(at + k);
    };
    std::string other;
    for (std::size_t i = 0; i < n;) {
        const std::size_t stop = std::min(n, i + kStretch);
        room((stop - i) * 3 + 16);
        char* dst = out.data() + at;
        while (i < stop) {
            i = writeTableRun(p, i, stop, n, dst);
            if (i >= stop) break;
            const std::size_t len = otherCharacter(doc, i, standIns, other);
            if (other.size() > 3 * len) {  // a long stand-in: room made again for the rest
                at = static_cast<std::size_t>(dst - out.data());
                room(other.size() + (stop - i) * 3 + 16);
                dst = out.data() + at;
            }
            std::memcpy(dst, other.data(), other.size());
            dst += other.size();
            i += len;
        }
        at = static_cast<std::size_t>(dst - out.data());
    }
    return at;
}

}  // namespace

void append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | c >> 6));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | c >> 12));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | c >> 18));
        out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

namespace {

bool isStrictOnOne(std::string_view bytes, bool* multiByte, bool wide) {
    const auto* s = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t n = bytes.size();
    std::uint64_t carry = 0;
    bool multi = false;
    std::size_t i = 0;
    if (wide && n > 64) {
        i = (n - 1) / 64 * 64;
        if (!checkBlocks(s, i / 64, carry, multi)) return false;
    }
    for (; i + 64 < n; i += 64)
        if (!check64(s + i, false, carry, multi)) return false;
    // The rest (1 to 64 bytes) after zeros that are plain ASCII, so that nothing is expected after it.
    std::array<std::uint8_t, 65> last{};
    std::memcpy(last.data(), s + i, n - i);
    if (!check64(last.data(), n - i == 64, carry, multi) || carry) return false;
    if (multiByte) *multiByte = multi;
    return true;
}

}  // namespace

void preferLargePages(std::string& s) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kLarge = std::uintptr_t{2} << 20;
    if (s.capacity() < 2 * kLarge) return;
    const auto begin = reinterpret_cast<std::uintptr_t>(s.data());
    const std::uintptr_t from = (begin + kLarge - 1) & ~(kLarge - 1);
    const std::uintptr_t to = (begin + s.capacity()) & ~(kLarge - 1);
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);  // a hint: failing is harmless
#else
    (void)s;
#endif
}

void alongside(const std::function<void()>& other, const std::function<void()>& here) {
    std::thread thread;
    if (std::thread::hardware_concurrency() > 1) {
        try {
            thread = std::thread(other);
        } catch (const std::system_error&) {
        }
    }
    here();
    if (thread.joinable()) thread.join();
    else other();
}

bool isStrict(std::string_view bytes, bool* multiByte, std::size_t twoThreadsFrom, bool wide) {
    // Split before a byte that is not a continuation byte: each half is then valid exactly
    // when the whole is.
    std::size_t split = bytes.size();
    if (bytes.size() >= twoThreadsFrom) {
        split = bytes.size() / 2;
        while (split < bytes.size() && (static_cast<std::uint8_t>(bytes[split]) & 0xC0) == 0x80) ++split;
    }
    if (split == 0 || split == bytes.size()) return isStrictOnOne(bytes, multiByte, wide);
    bool secondValid = false;
    bool secondMulti = false;
    bool multi = false;
    bool valid = false;
    alongside([&] { secondValid = isStrictOnOne(bytes.substr(split), &secondMulti, wide); },
              [&] { valid = isStrictOnOne(bytes.substr(0, split), &multi, wide); });
    if (!valid || !secondValid) return false;
    if (multiByte) *multiByte = multi || secondMulti;
    return true;
}

ReadTable::ReadTable() {
    for (char32_t c = 0; c < 0x10000; ++c) {
        stays[c] = text::staysWithPrevious(c);
        const bool surrogate = c >= 0xD800 && c <= 0xDFFF;  // not text in UTF-8
        aloneCode[c] = static_cast<std::uint16_t>(stays[c] || surrogate ? text::codec::kNoCode : text::cleanCode(c));
    }
}

const ReadTable& readTable() {
    static const ReadTable table;
    return table;
}

Stop readPlain(std::string_view file, std::size_t in, char* doc, std::size_t out) {
    const ReadTable& table = readTable();
    const auto* s = reinterpret_cast<const std::uint8_t*>(file.data());
    const std::size_t n = file.size();
    char* dst = doc + out;
    Stop before{in, out};  // the last character written, where it starts in the file and the document
    // The bytes of a character that must be continuation bytes, in eight bytes loaded from its
    // start (the first in the lowest bits): of one of two bytes, of one of three, and of two of three.
    constexpr std::uint64_t kTwo = 0xC000;
    constexpr std::uint64_t kThree = 0xC0C000;
    constexpr std::uint64_t kThreeThree = 0xC0C000C0C000;
    const auto continued = [](std::uint64_t w, std::uint64_t where) { return (w & where) == (where & 0x808080808080); };
    const bool runs = runsAvailable();
    while (in + 16 <= n) {
        if (runs) {
            const RunsRead r = readRuns(s + in, n - in, dst, table.aloneCode.data());
            if (r.in) {
                before = {in + r.lastIn, static_cast<std::size_t>(dst - doc) + r.lastOut};
                in += r.in;
                dst += r.out;
                if (in + 16 > n) break;
            }
        }
        const std::uint8_t b = s[in];
        if (b < 0x80) {
            const unsigned k = copyAscii(s + in, dst);
            in += k;
            dst += k;
            before = {in - 1, static_cast<std::size_t>(dst - doc) - 1};
            continue;
        }
        if (b >= 0xF0 || b < 0xC2) break;  // four bytes (rare), or not a first byte
        std::uint64_t w = 0;
        std::memcpy(&w, s + in, 8);
        if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
        const bool three = b >= 0xE0;
        if (three && (s[in + 3] & 0xF0) == 0xE0 && continued(w, kThreeThree)) {
            // Two three-byte characters in a row, as most of a Japanese text is.
            const char32_t c1 = (b & 0x0Fu) << 12 | (s[in + 1] & 0x3Fu) << 6 | (s[in + 2] & 0x3Fu);
            const char32_t c2 = (s[in + 3] & 0x0Fu) << 12 | (s[in + 4] & 0x3Fu) << 6 | (s[in + 5] & 0x3Fu);
            const unsigned code1 = table.aloneCode[c1];
            const unsigned code2 = table.aloneCode[c2];
            // Below U+0800 in three bytes is an overlong form; surrogates have no code.
            if (code1 > 0xFF && code1 != text::codec::kNoCode && code2 > 0xFF && code2 != text::codec::kNoCode &&
                c1 >= 0x800 && c2 >= 0x800) {
                before = {in + 3, static_cast<std::size_t>(dst - doc) + 2};
                dst[0] = static_cast<char>(code1 >> 8);
                dst[1] = static_cast<char>(code1 & 0xFF);
                dst[2] = static_cast<char>(code2 >> 8);
                dst[3] = static_cast<char>(code2 & 0xFF);
                dst += 4;
                in += 6;
                continue;
            }
        }
        if (!continued(w, three ? kThree : kTwo)) break;
        const char32_t c = three ? (b & 0x0Fu) << 12 | (s[in + 1] & 0x3Fu) << 6 | (s[in + 2] & 0x3Fu)
                                 : (b & 0x1Fu) << 6 | (s[in + 1] & 0x3Fu);
        if (three && c < 0x800) break;
        // Two bytes in the document (a code of one byte, as the half-width kana have, the
        // long way): where the next goes never waits for the table.
        const unsigned code = table.aloneCode[c];
        if (code == text::codec::kNoCode || code <= 0xFF) break;
        before = {in, static_cast<std::size_t>(dst - doc)};
        dst[0] = static_cast<char>(code >> 8);
        dst[1] = static_cast<char>(code & 0xFF);
        dst += 2;
        in += three ? 3 : 2;
    }
    // The character stopped at may stay with the last one written: that one is given back.
    return before;
}

std::size_t splitPoint(std::string_view text) {
    const ReadTable& table = readTable();
    const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
    for (std::size_t at = text.find('\n', text.size() / 2); at != std::string_view::npos; at = text.find('\n', at + 1)) {
        const std::size_t k = at + 1;
        if (k == text.size()) break;
        const std::uint8_t b = s[k];
        if (b < 0x80) return k;
        if (b >= 0xF0) continue;  // four bytes: may be a regional indicator (and is rare)
        const char32_t c = b >= 0xE0 && k + 2 < text.size()
                               ? (b & 0x0Fu) << 12 | (s[k + 1] & 0x3Fu) << 6 | (s[k + 2] & 0x3Fu)
                               : (b & 0x1Fu) << 6 | (k + 1 < text.size() ? s[k + 1] & 0x3Fu : 0u);
        if (!table.stays[c]) return k;
    }
    return text.size();
}

void write(std::string_view doc, const text::StandIns& standIns, std::string& out, std::size_t twoThreadsFrom) {
    // '\n' is never the second byte of a pair, so the split is always between characters.
    const std::size_t split = doc.size() >= twoThreadsFrom ? doc.find('\n', doc.size() / 2) : std::string_view::npos;
    if (split == std::string_view::npos) {
        out.resize(writeRange(doc, standIns, out, out.size()));
        return;
    }
    writeTable();  // made once, before either thread needs it
    std::string second;
    second.reserve((doc.size() - split) * 3 / 2 + 16);
    preferLargePages(second);
    alongside([&] { second.resize(writeRange(doc.substr(split + 1), standIns, second, 0)); },
              [&] { out.resize(writeRange(doc.substr(0, split + 1), standIns, out, out.size())); });
    out += second;
}

namespace {

// The document cut into pieces of about `size` bytes, in order, each after a byte that ends a
// character (a byte that is never the first of a pair), the last at the document's end.
class PieceCutter {
public:
    PieceCutter(const DocumentBytes& doc, std::size_t size) : doc_(doc), size_(std::max<std::size_t>(size, 1)) {}
    // The next piece (in place, or copied into buffer); false when there is none.
    bool next(std::string& buffer, std::string_view& piece) {
        if (at_ >= doc_.size()) return false;
        for (std::size_t want = size_ + kLookAhead;; want *= 2) {
            const std::string_view read = doc_.read(at_, want, buffer);
            std::size_t cut = read.size();
            if (at_ + read.size() < doc_.size()) {
                const auto* p = reinterpret_cast<const std::uint8_t*>(read.data());
                const auto* end = std::find_if(p + std::min(size_, read.size()) - 1, p + read.size(), text::cp932::endsCharacter);
                if (end == p + read.size()) continue;  // none yet: read more
                cut = static_cast<std::size_t>(end - p) + 1;
            }
            piece = read.substr(0, cut);
            at_ += cut;
            return true;
        }
    }

private:
    static constexpr std::size_t kLookAhead = 64;  // most text has such a byte every few bytes
    const DocumentBytes& doc_;
    const std::size_t size_;
    std::size_t at_ = 0;
};

// Pieces converted on threads of their own (piece k on thread k % threads), each from and into
// the buffers of its slot, while the caller gives them and takes them in order. The caller
// fills a slot only after taking the piece that was in it, so at most slots() are ahead.
class PieceConverter {
public:
    static constexpr std::size_t kSlotsPerThread = 2;

    PieceConverter(unsigned threads, std::function<void(std::size_t piece, std::size_t slot)> convert)
        : convert_(std::move(convert)) {
        if (std::thread::hardware_concurrency() < 2) return;
        slots_ = threads * kSlotsPerThread;
        done_.assign(slots_, kNone);
        try {
            for (unsigned w = 0; w < threads; ++w) threads_.emplace_back([this, w, threads] { run(w, threads); });
        } catch (const std::system_error&) {
            stopAll();  // each piece is converted here instead
            slots_ = 1;
        }
    }
    ~PieceConverter() { stopAll(); }
    PieceConverter(const PieceConverter&) = delete;
    PieceConverter& operator=(const PieceConverter&) = delete;

    // The buffers pieces are converted from and into: piece k's are those of slot(k).
    std::size_t slots() const { return slots_; }
    std::size_t slot(std::size_t k) const { return k % slots_; }
    // Piece k (the next in order) is in its slot, ready to be converted.
    void given(std::size_t k) { tell([&] { given_ = k + 1; }); }
    // No piece follows those given.
    void end() { tell([&] { ended_ = true; }); }
    // Waits until piece k is converted (converting it here when there is no thread).
    void await(std::size_t k) {
        if (threads_.empty()) {
            convert_(k, slot(k));
            return;
        }
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return done_[slot(k)] == k || failure_; });
        if (failure_) std::rethrow_exception(failure_);
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    template <typename F>
    void tell(F change) {
        {
            const std::lock_guard lock(mutex_);
            change();
        }
        changed_.notify_all();
    }
    void stopAll() {
        tell([&] { stop_ = true; });
        for (std::thread& t : threads_) t.join();
        threads_.clear();
    }
    void run(unsigned first, unsigned step) {
        try {
            for (std::size_t k = first;; k += step) {
                {
                    std::unique_lock lock(mutex_);
                    changed_.wait(lock, [&] { return stop_ || k < given_ || ended_; });
                    if (stop_ || k >= given_) return;
                }
                convert_(k, slot(k));
                tell([&] { done_[slot(k)] = k; });
            }
        } catch (...) {
            tell([&] { failure_ = std::current_exception(); });
        }
    }
    const std::function<void(std::size_t, std::size_t)> convert_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t slots_ = 1;
    std::vector<std::size_t> done_;  // by slot: the piece converted into it last
    std::size_t given_ = 0;
    bool ended_ = false;
    bool stop_ = false;
    std::exception_ptr failure_;
    std::vector<std::thread> threads_;
};

// One piece's buffers: what it was read from, where it is made.
struct PieceSlot {
    std::string read;  // the document's bytes, when they are copied
    std::string_view piece;
    std::string made;
    std::size_t length = 0;  // of made
};

}  // namespace

bool writePieces(const DocumentBytes& doc, const text::StandIns& standIns, const std::function<bool(std::string_view)>& put,
                 std::size_t pieceSize, std::size_t twoThreadsFrom) {
    writeTable();  // made once, before the threads need it
    PieceCutter cutter(doc, pieceSize);
    std::vector<PieceSlot> slots(2 * PieceConverter::kSlotsPerThread);
    const auto convert = [&](std::size_t, std::size_t slot) {
        PieceSlot& s = slots[slot];
        s.length = writeRange(s.piece, standIns, s.made, 0);
    };
    const auto take = [&](std::size_t slot) { return put(std::string_view(slots[slot].made.data(), slots[slot].length)); };
    if (doc.size() < twoThreadsFrom || doc.size() <= pieceSize) {
        while (cutter.next(slots[0].read, slots[0].piece)) {
            convert(0, 0);
            if (!take(0)) return false;
        }
        return true;
    }
    // The document is read here, between the writes: a Document is read on one thread only.
    PieceConverter converter(2, convert);
    std::size_t given = 0;
    const auto give = [&] {
        PieceSlot& s = slots[converter.slot(given)];
        if (!cutter.next(s.read, s.piece)) {
            converter.end();
            return false;
        }
        converter.given(given++);
        return true;
    };
    bool more = true;
    while (more && given < converter.slots()) more = give();
    for (std::size_t k = 0; k < given; ++k) {
        converter.await(k);
        if (!take(converter.slot(k))) return false;
        if (more) more = give();  // into the slot just taken
    }
    return true;
}

}  // namespace verlo::files::utf8

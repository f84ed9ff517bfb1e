#include "support/novel.h"

#include <algorithm>
#include <cstdint>

#include "text/codec.h"

namespace verlo::bench {
namespace {

// splitmix64: small, fast and the same on every platform (unlike the standard
// library's distributions).
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi].
    unsigned between(unsigned lo, unsigned hi) { return lo + static_cast<unsigned>(next() % (hi - lo + 1)); }
    bool chance(unsigned percent) { return next() % 100 < percent; }

private:
    std::uint64_t state_;
};

void put2(std::string& out, unsigned code) {
    out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
}

// A JIS level-1 kanji (rows 16-47: lead 0x88-0x98), trail bytes over the whole valid
// range, so trail bytes like 0x5C (表, 能) and 0x7E turn up as in real text.
void putKanji(std::string& out, Random& r) {
    for (;;) {
        unsigned lead = r.between(0x88, 0x98);
        unsigned trail = r.between(0x40, 0xFC);
        if (trail == 0x7F) continue;
        if (lead == 0x88 && trail < 0x9F) continue;   // row 15 is empty
        if (lead == 0x98 && trail > 0x72) continue;   // level 1 ends at 98 72
        put2(out, lead << 8 | trail);
        return;
    }
}

void putHiragana(std::string& out, Random& r) { put2(out, 0x8200 | r.between(0x9F, 0xF1)); }

void putKatakana(std::string& out, Random& r) {
    unsigned trail = r.between(0x40, 0x96);
    if (trail == 0x7F) trail = 0x80;
    put2(out, 0x8300 | trail);
}

const char* const kLatinWords[] = {"Verlo", "the",  "of",    "Tokyo", "and",  "CPU",   "OK",
                                   "note",  "page", "river", "Kyoto", "HTML", "light", "x"};

}  // namespace

std::string generateNovel(std::size_t bytes, unsigned seed) {
    Random r(seed);
    std::string out;
    out.reserve(bytes);
    std::string line;
    while (true) {
        line.clear();
        if (r.chance(8)) {
            line += "\r\n";  // an empty line between paragraphs
        } else {
            const unsigned chars = r.between(10, 300);
            unsigned count = 0;
            bool quoted = false;
            if (r.chance(20)) {
                put2(line, 0x8175);  // 「
                quoted = true;
                ++count;
            } else {
                put2(line, 0x8140);  // ideographic space at the start of a paragraph
                ++count;
            }
            while (count + 2 < chars) {
                const unsigned kind = r.between(0, 99);
                if (kind < 38) {
                    putKanji(line, r);
                } else if (kind < 80) {
                    putHiragana(line, r);
                } else if (kind < 87) {
                    putKatakana(line, r);
                } else if (kind < 93) {
                    put2(line, 0x8141);  // 、
                } else if (kind < 96) {
                    // a Latin word, space-separated
                    const char* w = kLatinWords[r.between(0, sizeof kLatinWords / sizeof *kLatinWords - 1)];
                    line += ' ';
                    line += w;
                    line += ' ';
                    count += 2 + static_cast<unsigned>(std::char_traits<char>::length(w));
                    continue;
                } else if (kind < 99) {
                    // a number of one to four digits
                    const unsigned digits = r.between(1, 4);
                    for (unsigned i = 0; i < digits; ++i) line += static_cast<char>('0' + r.between(0, 9));
                    count += digits;
                    continue;
                } else {
                    put2(line, 0x815B);  // ー
                }
                ++count;
            }
            if (quoted) put2(line, 0x8176);  // 」
            else put2(line, 0x8142);         // 。
            line += "\r\n";
        }
        if (out.size() + line.size() > bytes) break;
        out += line;
    }
    return out;
}

std::string generateManuscript(std::size_t bytes, int chapters) {
    const std::string novel = generateNovel(bytes);
    std::size_t lines = 0;
    for (std::size_t at = novel.find("\r\n"); at != novel.npos; at = novel.find("\r\n", at + 2)) ++lines;
    const std::size_t every = std::max<std::size_t>(1, lines / static_cast<std::size_t>(chapters));
    std::string out;
    std::size_t line = 0, start = 0;
    int chapter = 0;
    for (std::size_t at = novel.find("\r\n"); at != novel.npos; start = at + 2, at = novel.find("\r\n", start)) {
        if (line++ % every == 0 && chapter < chapters) {
            const std::u16string heading = u"第" + std::u16string(1, static_cast<char16_t>(u'０' + ++chapter % 10)) + u"章　雨の夜\r\n";
            out += text::codec::encode(heading).bytes;
        }
        out.append(novel, start, at + 2 - start);
    }
    return out;
}

const std::string& novelLarge() {
    static const std::string text = generateNovel(kNovelLarge);
    return text;
}

const std::string& novelSmall() {
    static const std::string text = generateNovel(kNovelSmall);
    return text;
}

}  // namespace verlo::bench

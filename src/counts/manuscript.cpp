#include "counts/manuscript.h"

#include <cstdint>

#include "text/cp932.h"

namespace verlo::counts {

namespace {

// What the rules need to know of a character.
enum Kind : std::uint8_t { Plain, Digit, Stop, Closer };

struct Kinds {
    Kind single[256] = {};    // one-byte characters
    Kind after81[256] = {};   // two-byte characters 81xx
    constexpr Kinds() {
        for (int c = '0'; c <= '9'; ++c) single[c] = Digit;
        single[0xA1] = single[0xA4] = Stop;                                    // ｡ ､
        single[static_cast<int>(')')] = single[static_cast<int>(']')] = single[static_cast<int>('}')] = single[0xA3] = Closer;  // ) ] } ｣
        after81[0x41] = after81[0x42] = Stop;                                  // 、 。
        for (int t = 0x66; t <= 0x7A; t += 2) after81[t] = Closer;            // ’ ” ） 〕 ］ ｝ 〉 》 」 』 】
        for (int b = 0; b < 256; ++b) {
            lead[b] = text::cp932::isLeadByte(static_cast<std::uint8_t>(b));
            trail[b] = text::cp932::isTrailByte(static_cast<std::uint8_t>(b));
        }
    }
    bool lead[256] = {};
    bool trail[256] = {};  // false for 0, which stands for the end of the text
};
constexpr Kinds kKinds;

}  // namespace

namespace {

template <bool kRecord>
ParagraphMeasure walk(std::string_view s, const ManuscriptLineStart& from, std::vector<ManuscriptLineStart>* starts) {
    ParagraphMeasure m;
    m.chars = from.chars;
    m.lines = from.lines;
    std::size_t cells = 0;     // cells filled on the current line
    bool halfDigit = false;    // the last cell holds one half-width digit and has room for another
    bool mayHang = false;      // the last character was a 、 or 。 or a closer after one
    std::size_t len = 0;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(s.data());
    const std::size_t size = s.size();
    for (std::size_t at = from.at; at < size; at += len) {
        if (!halfDigit) {
            // Most characters are plain ones on a line with room: a cell each, taken in a run.
            const std::size_t runFrom = cells;
            for (; cells < kManuscriptColumns && at + 1 < size; ++cells) {
                const std::uint8_t b = bytes[at];
                const std::uint8_t next = bytes[at + 1];
                const bool pair = kKinds.lead[b] & kKinds.trail[next];
                const Kind ofPair = b == 0x81 ? kKinds.after81[next] : Plain;
                if ((pair ? ofPair : kKinds.single[b]) != Plain) break;
                len = pair ? 2 : 1;
                at += len;
            }
            m.chars += cells - runFrom;
            if (cells != runFrom) mayHang = false;
            if (at >= size) break;
        }
        // Whether a character takes one byte or two is taken without a branch (in Japanese
        // text it changes unforeseeably).
        const std::uint8_t b = bytes[at];
        const std::uint8_t next = at + 1 < size ? bytes[at + 1] : 0;
        const bool pair = kKinds.lead[b] & kKinds.trail[next];
        len = pair ? 2 : 1;
        const Kind ofPair = b == 0x81 ? kKinds.after81[next] : Plain;
        const Kind kind = pair ? ofPair : kKinds.single[b];
        if (kind == Plain && cells < kManuscriptColumns && !halfDigit) {
            ++m.chars;
            ++cells;
            mayHang = false;
            continue;
        }
        ++m.chars;
        if (halfDigit && kind == Digit) {
            halfDigit = false;
            mayHang = false;
            continue;
        }
        const bool hangs = kind == Stop || (mayHang && kind == Closer);
        halfDigit = false;
        mayHang = hangs;
        if (cells == kManuscriptColumns) {
            if (hangs) continue;
            ++m.lines;
            cells = 0;
            // A line starts with this character: nothing before it carries over but the sums.
            if constexpr (kRecord) starts->push_back({at, m.chars - 1, m.lines});
        }
        ++cells;
        halfDigit = kind == Digit;
    }
    m.endsWithLead = !s.empty() && len == 1 && text::cp932::isLeadByte(static_cast<std::uint8_t>(s.back()));
    return m;
}

}  // namespace

ParagraphMeasure measureParagraph(std::string_view s) { return walk<false>(s, {}, nullptr); }

ParagraphMeasure measureParagraph(std::string_view s, const ManuscriptLineStart& from,
                                  std::vector<ManuscriptLineStart>& starts) {
    return walk<true>(s, from, &starts);
}

std::size_t manuscriptLines(std::string_view s) { return measureParagraph(s).lines; }

ManuscriptPages manuscriptPages(std::size_t lines) {
    ManuscriptPages p;
    // A tenth of a sheet is two lines.
    p.tenths = (lines + 1) / 2;
    p.linesOnLastPage = lines == 0 ? 0 : (lines - 1) % kManuscriptRows + 1;
    return p;
}

}  // namespace verlo::counts

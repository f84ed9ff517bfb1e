#include "typeset/line_break.h"

#include <array>
#include <memory>

#include "text/codec.h"
#include "text/cp932.h"

namespace verlo::typeset::line_break {
namespace {

// Characters that may not begin a line: closing brackets and quotes, punctuation,
// iteration marks, the prolonged sound mark, small kana (full- and half-width).
constexpr std::u32string_view kNoStartChars =
    U"!),.:;?]}%"
    U"、。，．・：；？！゛゜ヽヾゝゞ々〻ー〜"
    U"」』）］｝〕〉》】〙〗〟’”‰′″℃°¢％"
    U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ"
    U"｡｣､･ｧｨｩｪｫｬｭｮｯｰﾞﾟ‐゠";
// Characters that may not end a line: opening brackets and quotes.
constexpr std::u32string_view kNoEndChars = U"([{「『（［｛〔〈《【〘〖〝‘“｢";
constexpr std::u32string_view kInseparableChars = U"―—…‥";
// Stops that may hang at the end of a line, and the closers that hang with them.
constexpr std::u32string_view kStopChars = U"、。､｡";
constexpr std::u32string_view kCloserChars = U")]}｣’”）〕］｝〉》」』】";
// Those of kNoStartChars that the looser rules let begin a line.
constexpr std::u32string_view kLooseStartChars =
    U"ヽヾゝゞ々〻ー"
    U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ"
    U"ｧｨｩｪｫｬｭｮｯｰ";

std::uint8_t propertiesOfChar(char32_t c) {
    std::uint8_t p = 0;
    if (c == U' ') return kSpace;
    if (c > 0x20 && c < 0x7F) p |= kWord;
    if (kNoStartChars.find(c) != std::u32string_view::npos) p |= kNoStart;
    if (kLooseStartChars.find(c) != std::u32string_view::npos) p |= kNoStart | kLooseStart;
    if (kNoEndChars.find(c) != std::u32string_view::npos) p |= kNoEnd;
    if (kInseparableChars.find(c) != std::u32string_view::npos) p |= kInseparable;
    if (kStopChars.find(c) != std::u32string_view::npos) p |= kStop;
    if (kCloserChars.find(c) != std::u32string_view::npos) p |= kCloser;
    return p;
}

// Indexed by the byte of a one-byte character or by lead << 8 | trail of a two-byte one
// (lead bytes are 0x81 and up, so the two never meet).
using Table = std::array<std::uint8_t, 0x10000>;

std::unique_ptr<Table> buildTable() {
    auto table = std::make_unique<Table>();
    table->fill(0);
    char bytes[2];
    std::size_t length = 0;
    for (unsigned b = 0; b < 0x100; ++b) {
        bytes[0] = static_cast<char>(b);
        (*table)[b] = propertiesOfChar(text::codec::standsFor(text::codec::decodeChar({bytes, 1}, 0, &length)));
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!text::cp932::isLeadByte(static_cast<std::uint8_t>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (!text::cp932::isTrailByte(static_cast<std::uint8_t>(trail))) continue;
            bytes[0] = static_cast<char>(lead);
            bytes[1] = static_cast<char>(trail);
            const char32_t c = text::codec::decodeChar({bytes, 2}, 0, &length);
            (*table)[lead << 8 | trail] = propertiesOfChar(text::codec::standsFor(c));
        }
    }
    return table;
}

const Table& table() {
    static const std::unique_ptr<Table> instance = buildTable();
    return *instance;
}

}  // namespace

std::uint8_t propertiesOf(const char* p, std::size_t length) {
    const auto b0 = static_cast<std::uint8_t>(p[0]);
    if (length >= 2) {
        // Two ASCII digits standing side by side in one vertical cell are one word piece.
        if (b0 < 0x80) return kWord;
        return table()[b0 << 8 | static_cast<std::uint8_t>(p[1])];
    }
    return table()[b0];
}

std::uint8_t propertiesOf(std::string_view paragraph, const Cell& cell) {
    return propertiesOf(paragraph.data() + cell.offset, cell.length);
}

std::uint8_t beforeBreak(std::string_view paragraph, const Cell& before, std::uint8_t beforeProps,
                         const Cell& after, std::uint8_t afterProps) {
    if (!(beforeProps & afterProps & kInseparable)) return beforeProps;
    const bool same = before.length == after.length &&
                      paragraph.substr(before.offset, before.length) == paragraph.substr(after.offset, after.length);
    return same ? beforeProps : static_cast<std::uint8_t>(beforeProps & ~kInseparable);
}

void wrap(std::string_view paragraph, const std::vector<Cell>& cells, float width,
          std::vector<std::uint32_t>& lineStarts, Hanging hanging) {
    lineStarts.clear();
    lineStarts.push_back(0);
    const std::size_t n = cells.size();
    if (n == 0) return;
    auto propsAt = [&](std::size_t i) -> std::uint8_t { return propertiesOf(paragraph, cells[i]); };

    std::size_t start = 0;  // first cell of the line being filled
    float extent = 0;       // advances of cells [start, i)
    std::size_t i = 0;
    while (i < n) {
        const float advance = cells[i].advance;
        if (i == start || extent + advance <= width) {
            extent += advance;
            ++i;
            continue;
        }
        // Cell i does not fit. One space after the last character of a full line hangs.
        const std::uint8_t pi = propsAt(i);
        if ((pi & kSpace) && !(propsAt(i - 1) & kSpace)) {
            extent += advance;
            ++i;
            continue;
        }
        // A stop hangs, and a closer right after a stop, at most two cells past the width.
        if (hanging == Hanging::Stops && (pi & (kStop | kCloser))) {
            std::size_t fitting = i;  // the cells [start, fitting) are within the width
            float within = extent;
            while (fitting > start && within > width) within -= cells[--fitting].advance;
            const std::size_t hung = i - fitting;
            const bool hangs = (pi & kStop) ? hung == 0 : (hung <= 1 && (propsAt(i - 1) & kStop));
            if (hangs) {
                extent += advance;
                ++i;
                continue;
            }
        }
        // Break before the last cell j in (start, i] where the rules allow it; failing that,
        // where the looser rules allow it (before a small kana or ー); when a Latin word
        // fills the whole line, inside the word; when nothing allows a break (a line of
        // characters that may not begin a line), before cell i.
        auto lastBreak = [&](auto allowed) -> std::size_t {
            std::uint8_t after = pi;
            for (std::size_t j = i; j > start; --j) {
                const std::uint8_t before = propsAt(j - 1);
                if (allowed(beforeBreak(paragraph, cells[j - 1], before, cells[j], after), after)) return j;
                after = before;
            }
            return 0;
        };
        std::size_t breakAt = lastBreak(mayBreak);
        if (breakAt == 0) breakAt = lastBreak(mayBreakLoosely);
        if (breakAt == 0) breakAt = lastBreak(mayBreakInsideWord);
        if (breakAt == 0) breakAt = i;
        lineStarts.push_back(static_cast<std::uint32_t>(breakAt));
        start = breakAt;
        extent = 0;
        i = breakAt;
    }
}

}  // namespace verlo::typeset::line_break

// Where a paragraph's cells may be broken into lines: the Japanese line-breaking rules
// (kinsoku) and Latin word wrapping, read from the bytes of the paragraph alone.
//
// Every character has a few break properties, looked up by its CP932 code in a table
// built once per process, so wrapping a paragraph decodes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "typeset/typesetter.h"

namespace verlo::typeset::line_break {

enum Property : std::uint8_t {
    kNoStart = 1,      // may not begin a line: 、。」』）ー small kana, closing ASCII punctuation ...
    kNoEnd = 2,        // may not end a line: 「『（ ...
    kWord = 4,         // part of a Latin word (non-space ASCII): no break between two of them
    kSpace = 8,        // an ASCII space: attaches to what precedes it and may hang past the end
    kInseparable = 16, // ―—…‥: no break inside a run of the same one (――, ……), though
                       // between two different ones (…‥) a line may break
    kLooseStart = 32,  // with kNoStart: small kana, ー and the iteration marks, which the looser
                       // rules let begin a line when nothing else would keep a word whole
    kStop = 64,        // 、。､｡: may hang past the end of a full line when hanging is asked for
    kCloser = 128      // closing brackets and quotes, which hang with a stop just before them
};

// The break properties of the character whose bytes start at p[0] (length 1 or 2).
std::uint8_t propertiesOf(const char* p, std::size_t length);

// Properties of a cell of a paragraph: a cell of two digits counts as one word character,
// a cell of two characters standing side by side (！？) as its first.
std::uint8_t propertiesOf(std::string_view paragraph, const Cell& cell);

// The properties of the cell before a possible break, as the rules below compare them with
// those of the cell after it: a dash or ellipsis holds on to the next cell only when that
// is the same character.
std::uint8_t beforeBreak(std::string_view paragraph, const Cell& before, std::uint8_t beforeProps,
                         const Cell& after, std::uint8_t afterProps);

// True when a line may end between a character with properties `before` and one with
// `after`, under the full rules (`before` as beforeBreak gives it).
constexpr bool mayBreak(std::uint8_t before, std::uint8_t after) {
    if (after & kNoStart) return false;
    if (before & kNoEnd) return false;
    if ((before & kWord) && (after & kWord)) return false;
    if ((after & kSpace) && !(before & kSpace)) return false;
    if ((before & kInseparable) && (after & kInseparable)) return false;
    return true;
}

// The looser rules, tried when the full rules leave no break in a line: a small kana, ー or
// an iteration mark may then begin a line, so that a Latin word before a run of them need
// not be split.
constexpr bool mayBreakLoosely(std::uint8_t before, std::uint8_t after) {
    if ((after & kNoStart) && !(after & kLooseStart)) return false;
    if (before & kNoEnd) return false;
    if ((before & kWord) && (after & kWord)) return false;
    if ((after & kSpace) && !(before & kSpace)) return false;
    if ((before & kInseparable) && (after & kInseparable)) return false;
    return true;
}

// The same when a Latin word is too long for a line and has to be broken inside: only the
// rules on what may begin and end a line still hold.
constexpr bool mayBreakInsideWord(std::uint8_t before, std::uint8_t after) {
    return !(after & kNoStart) && !(before & kNoEnd);
}

// Whether 、 and 。 that would begin a line hang past the end of the line before instead.
enum class Hanging { None, Stops };

// Fills lineStarts (indexes into cells, the first always 0) for lines of at most `width`
// along the inline axis. A line always holds at least one cell; one ASCII space at the end
// of a full line may hang past the width. With Hanging::Stops a 、 or 。 (or ､ ｡) that
// would begin the next line hangs past the end of the full line, and so does a closing
// bracket or quote that follows a stop there (also one that took the line's last cell):
// at most two cells hang, the way manuscript pages are counted. Linear in the number of cells.
void wrap(std::string_view paragraph, const std::vector<Cell>& cells, float width,
          std::vector<std::uint32_t>& lineStarts, Hanging hanging = Hanging::None);

}  // namespace verlo::typeset::line_break

// Manuscript pages: how many sheets of 400-character manuscript paper (20 cells a line,
// 20 lines a sheet) a text fills, by the rules writers count by:
// - every paragraph starts on a new line; an empty paragraph takes a line of its own;
// - every character takes a cell, except that two half-width digits in a row share one;
// - a 、 or 。 (also the half-width ､ ｡) that would begin a line is kept in the margin at
//   the end of the line before, and so are the closing brackets and quotes that follow
//   it, also when the 、 or 。 itself took the last cell of the line.
// Characters are those of the code page (a lead byte without its trail byte is one).
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace verlo::counts {

inline constexpr std::size_t kManuscriptColumns = 20;
inline constexpr std::size_t kManuscriptRows = 20;

// Lines one paragraph fills (its bytes without the line break); an empty one fills one.
std::size_t manuscriptLines(std::string_view paragraph);

// The same walk also counts the paragraph's characters (it holds no line break, so they
// are those of countSelectionChars), and says whether the last one is a lead byte that
// a trail byte after it would join.
struct ParagraphMeasure {
    std::size_t lines = 1;
    std::size_t chars = 0;
    bool endsWithLead = false;
};
ParagraphMeasure measureParagraph(std::string_view paragraph);

// Where a manuscript line after the first begins: at byte `at`, with `chars` characters and
// `lines` lines (this one included) before it. The walk may resume there with the bytes
// from `at` on, as long as the bytes up to and including `at` are the same.
struct ManuscriptLineStart {
    std::size_t at = 0;
    std::size_t chars = 0;
    std::size_t lines = 1;
};
// measureParagraph that starts at `from` (the paragraph's start by default) and appends to
// `starts` the lines that begin after it.
ParagraphMeasure measureParagraph(std::string_view paragraph, const ManuscriptLineStart& from,
                                  std::vector<ManuscriptLineStart>& starts);

struct ManuscriptPages {
    std::size_t tenths = 0;           // sheets to one decimal, a part of a tenth counting whole
    std::size_t linesOnLastPage = 0;  // 1 to 20; 0 for no lines at all
};
ManuscriptPages manuscriptPages(std::size_t lines);

}  // namespace verlo::counts

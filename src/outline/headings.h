// Headings in a manuscript, read from the CP932 bytes of one paragraph (its bytes without the
// line break). Four conventions writers use, each of which may be switched off:
//
//   annotations  ［＃大見出し］X［＃大見出し終わり］ (中見出し, 小見出し likewise) and the
//                trailing form X［＃「X」は大見出し］: levels 1, 2, 3; the heading is X
//   numbered     第 + a number (kanji numerals, half- or full-width digits) + 部 (level 1),
//                章 or 話 (level 2) or 節 (level 3) at the start of the line (after spaces),
//                followed by the end of the line, a space or a punctuation mark
//   named        a line that is just プロローグ, エピローグ, 序章, 終章, 幕間 or 間章: level 2
//   hashes       #, ## or ### and a space at the start of the line: levels 1 to 3
//
// A heading's text is shown without its markup: ruby keeps its base (｜雨《あめ》 is 雨),
// emphasis its text, and annotations ［＃…］ go. A heading's section runs to the next heading
// of the same or a higher (smaller) level.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace verlo::outline {

struct HeadingRules {
    bool annotations = true;
    bool numbered = true;
    bool named = true;
    bool hashes = true;
    bool operator==(const HeadingRules&) const = default;
};

inline constexpr int kMaxHeadingLevel = 3;

struct Heading {
    int level = 0;     // 1 to 3; 0 when the paragraph is no heading
    std::string text;  // CP932, without markup and the spaces around it (set for a heading only)
};

// What the paragraph is under the rules.
Heading readHeading(std::string_view paragraph, const HeadingRules& rules);

// The paragraph's bytes as a heading shows them: ruby and emphasis markup and annotations
// taken out, spaces at either end trimmed.
std::string plainHeadingText(std::string_view paragraph);

// The rules as stored in the settings file: the names of the conventions switched on,
// separated by commas ("annotations,numbered,named,hashes"); a name not known is passed over.
std::string rulesToText(const HeadingRules& rules);
HeadingRules rulesFromText(std::string_view text);

}  // namespace verlo::outline
